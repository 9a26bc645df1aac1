#pragma once
// Where the Matrix Storage Manager steps click, relative to the target window's rectangle as
// GetWindowRect gives it. Pure arithmetic; the clicks themselves are sent elsewhere.
#include <cstdint>

struct ScreenPoint {
    int32_t x;
    int32_t y;
};

struct WindowRectangle {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

// The modify wizard's dialogs sit 8 pixels higher under the NT 6.x frame (version code 18).
int32_t ClickCorrectionForVersion(uint8_t windowsVersionCode);

// The console's drive entry that opens its context menu (right button, double).
ScreenPoint ConsoleContextMenuPoint(const WindowRectangle& console);

// The three clicks of the modify wizard's source-drive page: the drive's row in the list
// (double, rows 12 pixels apart, `row` counted from 1), then two buttons (single).
struct SourceDriveClicks {
    ScreenPoint driveRow;
    ScreenPoint firstButton;
    ScreenPoint secondButton;
};
SourceDriveClicks SourceDriveClickPoints(const WindowRectangle& wizard, int32_t row, int32_t correction);
