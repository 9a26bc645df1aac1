// What both console stand-ins share: their switches, the event log and the bookkeeping of
// their top-level windows.
//
// Log: one line per event, fields separated by a tab, the first two always the event kind and
// the window (or entry) it concerns, then name=value fields, the last one ms=<GetTickCount>:
//   start   <program>      pid=…
//   entry   <entry>        visible=0|1            a culture folder, resource file or language entry
//   open    <title>                               a window was created and shown
//   close   <title>                               a window was destroyed
//   pending <title>        delay=…                a window will open after its delay
//   suppressed <title>                            a window that was to open does not (never-open)
//   key     <title>        msg=WM_KEYDOWN|WM_SYSKEYDOWN vk=0x.. ext=0|1 scan=0x..
//   keyup   <title>        msg=WM_KEYUP|WM_SYSKEYUP vk=0x.. ext=0|1 scan=0x..
//   char    <title>        msg=WM_CHAR|WM_SYSCHAR ch=0x..
//   click   <title>        button=left|right|middle x=… y=…   (relative to the window rectangle)
//   action  <title>        what=… …               what the simulated console did with the input
//   exit    <program>
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

#include "testing/standins/console_common/standin_options.h"

namespace standin {

// Reads the environment and the command line; the log goes beside the program, named after the
// program file (IAStorUI.log, Shell.log, Program.log for a decoy), unless a switch says
// otherwise. Writes the "start" line.
void StartStandin(const char* programName);
const StandinOptions& Options();
// False when the program runs under another file name than programName: a decoy (for example
// a copy at "C:\Program.exe", which an unquoted "C:\Program Files\…" command line would start).
bool RunningAs(const char* programName);
// What a decoy does: logs "start" and "exit" under its own file name and returns 0.
int RunAsDecoy();
// The folder of the running program, with a trailing backslash.
std::string ProgramFolder();

void Log(const char* kind, const std::string& subject, std::initializer_list<std::string> fields);
std::string Hex(unsigned value);

// Writes one "entry" line: whether ProgramFolder() + relativePath exists (as a folder when
// folder is true, else as a file).
void LogEntryVisibility(const std::string& relativePath, bool folder);
// Either kind of entry (the Matrix Storage Manager's languages are folders or files).
void LogAnyEntryVisibility(const std::string& relativePath);

// Opening a window honours the never-open and open-delay switches: the create function runs
// now, later (on a thread timer) or never. It must create the window and call WindowOpened.
using CreateWindowFunction = void (*)(void* context);
void RequestOpen(const char* title, CreateWindowFunction create, void* context);
void WindowOpened(HWND window, const char* title);
// From WM_DESTROY; the program ends when its last window is gone and none is pending.
void WindowClosed(HWND window, const char* title);

// The stand-in's windows: one class (arrow cursor, window-coloured background), each window
// created with its own record as creation data. RegisterWindowClass comes first.
void RegisterWindowClass(HINSTANCE instance, const char* className, WNDPROC procedure);
// The main window at (40, 40), 640 by 480, shown as WinMain was asked to; logs "open".
HWND OpenMainWindow(const char* title, void* record, int showCommand);
// A dialog or wizard, shown in front with the keyboard focus; logs "open".
HWND OpenDialogWindow(const char* title, int x, int y, int width, int height, void* record);
// An open window (`open` not null) comes to the front again; a closed one is requested.
void BringBackOrRequest(HWND open, const char* title, CreateWindowFunction create, void* context);
// After the start-delay switch's pause, requests the main window and runs the message loop.
int RequestMainWindowAndRun(const char* title, CreateWindowFunction create);

// Logs a keyboard or mouse message received by the window; false for other messages.
bool LogInput(HWND window, const char* title, UINT message, WPARAM wParam, LPARAM lParam);
// A mouse message's point relative to the window's rectangle (GetWindowRect).
POINT WindowRelativePoint(HWND window, LPARAM lParam);

// Runs the message loop until the last window is gone; writes the "exit" line.
int RunStandin();

}  // namespace standin
