/* Where the X pointer rests for a whole Wine session, in screen (and so desktop) coordinates: the
 * top left corner, where no window of the session opens. pointer_hold puts it there and holds it.
 * Wine answers GetCursorPos from the X pointer once the cursor has not changed for 100 ms, so a
 * test that parks the Windows cursor to see whether a step moves it parks it here: whichever of
 * the two Wine reads, the answer is the same. */
#ifndef ORB_PARKED_POINTER_H
#define ORB_PARKED_POINTER_H
#define ORB_PARKED_POINTER_X 7
#define ORB_PARKED_POINTER_Y 9
#endif
