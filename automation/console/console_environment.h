#pragma once
// The Intel consoles' surroundings: their localized resources hidden before a console starts
// and restored after a run, and the title of the running Rapid Storage Technology console.
#include <cstddef>

// Culture folder whose renaming failed last in HideRstResources (its files were hidden one by
// one instead); empty at load.
extern char PinnedCulture[256];

// Full title of the Rapid Storage Technology console window found by DetectRstConsole, at most
// 254 characters; empty at load; kept across exports while the library stays loaded.
extern char RstConsoleTitle[255];

// Rapid Storage Technology: renames each culture folder to "<culture>_X"; a folder whose rename
// fails has its seven resource files renamed without their last letter instead. False only
// when the Program Files folder cannot be resolved.
bool HideRstResources();

// Gives every hidden culture folder and resource file its name back, whichever run hid it.
bool RestoreRstResources();

// Matrix Storage Manager: each language entry "<code>" to "<code>_C", and back.
extern "C" bool __cdecl ChangeDirName();
bool RestoreDirName();

// Refreshes RstConsoleTitle from the visible top-level windows (appended to VisibleWindowList).
void DetectRstConsole();
