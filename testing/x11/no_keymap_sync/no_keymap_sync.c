/* no_keymap_sync: keeps Wine from setting its modifier keys to the X keyboard's on focus changes.
 *
 * Wine asks X for a KeymapNotify event after every FocusIn, and on it sets Alt, Ctrl and Shift
 * to what the X keyboard holds. The session's keyboard never holds a key: our keys are synthetic
 * (keybd_event), known to the wineserver only. On Wine's virtual desktop every activation moves
 * the X focus, so a focus change that reaches a process between a synthetic Alt-down and the
 * next key drops the Alt: the window gets "M" as WM_KEYDOWN instead of WM_SYSKEYDOWN. Windows
 * never does that to injected keys.
 *
 * Loaded into every Wine process of the session (LD_PRELOAD, set by testing/session/wine-env.sh),
 * it takes KeymapStateMask out of every event mask the process selects, so X sends no
 * KeymapNotify. Nothing else changes: the X key map, and so MapVirtualKey's scan codes, stay as
 * they are.
 * Built by testing/session/wine-session.sh for the bitness of the session's Wine. */
#define _GNU_SOURCE
#include <X11/Xlib.h>
#include <dlfcn.h>

static long WithoutKeymapState(long mask)
{
    return mask & ~KeymapStateMask;
}

/* The caller's attributes, or a copy of them without KeymapStateMask in copy. */
static XSetWindowAttributes* Stripped(unsigned long valuemask, XSetWindowAttributes* attributes,
                                      XSetWindowAttributes* copy)
{
    if (!attributes || !(valuemask & CWEventMask))
        return attributes;
    *copy = *attributes;
    copy->event_mask = WithoutKeymapState(copy->event_mask);
    return copy;
}

Window XCreateWindow(Display* display, Window parent, int x, int y, unsigned int width,
                     unsigned int height, unsigned int border, int depth, unsigned int windowClass,
                     Visual* visual, unsigned long valuemask, XSetWindowAttributes* attributes)
{
    static Window (*next)(Display*, Window, int, int, unsigned int, unsigned int, unsigned int,
                          int, unsigned int, Visual*, unsigned long, XSetWindowAttributes*);
    if (!next)
        next = dlsym(RTLD_NEXT, "XCreateWindow");
    XSetWindowAttributes copy;
    return next(display, parent, x, y, width, height, border, depth, windowClass, visual,
                valuemask, Stripped(valuemask, attributes, &copy));
}

int XChangeWindowAttributes(Display* display, Window window, unsigned long valuemask,
                            XSetWindowAttributes* attributes)
{
    static int (*next)(Display*, Window, unsigned long, XSetWindowAttributes*);
    if (!next)
        next = dlsym(RTLD_NEXT, "XChangeWindowAttributes");
    XSetWindowAttributes copy;
    return next(display, window, valuemask, Stripped(valuemask, attributes, &copy));
}

int XSelectInput(Display* display, Window window, long mask)
{
    static int (*next)(Display*, Window, long);
    if (!next)
        next = dlsym(RTLD_NEXT, "XSelectInput");
    return next(display, window, WithoutKeymapState(mask));
}
