/* pointer_hold: holds the X pointer grab of the session's display for the whole session.
 *
 * In Wine's virtual desktop, SetCursorPos warps the X pointer under a grab of its own. The
 * desktop's process receives that grab's crossing events and replays the position from before
 * the warp as a mouse move, after the warp: a click that follows a cursor placement then lands
 * where the cursor was. While another client holds the pointer grab, Wine's grab fails, it
 * leaves the X pointer alone and keeps the cursor position in the wineserver only, which is
 * exactly what synthetic input (SendInput, mouse_event) reads. Nothing in the session uses the
 * X pointer itself: Xvfb has no mouse.
 *
 * The X pointer itself is first put where the tests park the cursor (parked_pointer.h), in the
 * top left corner, and stays there. Wine answers GetCursorPos from the X pointer once the cursor
 * has not changed for 100 ms (traced with WINEDEBUG=+cursor: "pointer at ... server pos ...");
 * with the pointer left where Xvfb starts it, in the middle of the screen, a parked cursor now and
 * then read as (512, 384).
 *
 * Built and started by testing/session/wine-session.sh before the wineserver; prints "held" once
 * the grab is taken, then waits for the end of the display or a signal. */
#include <X11/Xlib.h>
#include <stdio.h>
#include <unistd.h>

#include "parked_pointer.h"

int main(void)
{
    Display* display = XOpenDisplay(NULL);
    if (display == NULL) {
        fprintf(stderr, "pointer_hold: cannot open the display\n");
        return 1;
    }
    const Window root = DefaultRootWindow(display);
    XWarpPointer(display, None, root, 0, 0, 0, 0, ORB_PARKED_POINTER_X, ORB_PARKED_POINTER_Y);
    const unsigned int events = ButtonPressMask | ButtonReleaseMask | PointerMotionMask;
    int tries = 0;
    while (XGrabPointer(display, root, False, events, GrabModeAsync, GrabModeAsync, None, None,
                        CurrentTime) != GrabSuccess) {
        if (++tries == 100) {
            fprintf(stderr, "pointer_hold: the pointer stays grabbed by another client\n");
            return 1;
        }
        usleep(100 * 1000);
    }
    XSync(display, False);
    printf("held\n");
    fflush(stdout);
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
    }
}
