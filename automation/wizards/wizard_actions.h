#pragma once
// The few actions every wizard step is made of, named as the steps describe them: resolve a
// console's path, start it, send a key script, find a window by title, place, close, click.
#include <windows.h>

#include "automation/wizards/click_points.h"

namespace wizard {

// The trace of one exported step: "<step>: start" when made, "<step>: <result> after <n> ms"
// from Answer, which hands the result back:  return trace.Answer(false);
class StepTrace {
public:
    explicit StepTrace(const char* step);
    StepTrace(const StepTrace&) = delete;
    StepTrace& operator=(const StepTrace&) = delete;
    bool Answer(bool result);
    int Answer(int result);
    unsigned char Answer(unsigned char result);

private:
    void Trace(const char* result);
    const char* step_;
    unsigned long start_;
};

// Program Files folder followed by `relative` in a 256-byte buffer; false when the folder
// can't be resolved or the path does not fit.
bool ConsolePath(const char* relative, char (&path)[256]);

// WinExec of the console with its path quoted, so that a path with blanks can never start
// another program ("C:\Program.exe"). Answers WinExec's result: above 31 when the console
// started; ERROR_PATH_NOT_FOUND (3), as WinExec's own failures, when the command line does not fit.
UINT StartConsole(const char* path, UINT showMode);

// One SendKeyScript call on the library's sender, without message pumping.
bool Send(const char* script);

// ActivateTargetWindow with the title and no class: on success the window becomes the
// current target and is placed and focused.
bool Find(const char* title);

// Up to `attempts` looks for the title, each after a pause of 1000 ms; true at the first find.
bool FindAfterPauses(const char* title, int attempts);

// Find, traced as the one look a step makes for a window it cannot go on without.
bool LookOnce(const char* title);

// The trace of a step's looks for a title: found at look `foundAt` (1-based) of `attempts`, or
// not found in any (foundAt 0).
void TraceLooks(const char* title, int foundAt, int attempts);

HWND Target();

// PlaceTargetWindow on the current target.
void PlaceTarget();

// WM_CLOSE with both parameters 0; no effect on a window that is already gone.
void Close(HWND window);

// The current target's rectangle; false when it can't be read (the window is gone).
bool TargetRectangle(WindowRectangle* rectangle);

enum class Button { Left, Right };

// `times` clicks at the point: SetCursorPos, then one mouse_event carrying the button's down
// and up flags with MOUSEEVENTF_ABSOLUTE.
void Click(ScreenPoint point, Button button, int times);

}  // namespace wizard
