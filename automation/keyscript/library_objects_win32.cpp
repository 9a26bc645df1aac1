// The library's process-wide objects of the key-script engine, in the order of their
// construction at load: the sender (which reads the window position), then the window list,
// whose nodes are freed at unload.
#include "automation/keyscript/key_script_sender.h"

LONG TargetLeft;
LONG TargetTop;

KeyScriptSender keyScriptSender(LoadWindowPosition);
std::list<HWND> VisibleWindowList;
