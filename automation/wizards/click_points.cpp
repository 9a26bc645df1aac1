#include "automation/wizards/click_points.h"

#include "common/windows_version.h"

int32_t ClickCorrectionForVersion(uint8_t windowsVersionCode)
{
    return windowsVersionCode == kVersionWindowsNT6 ? 8 : 0;
}

ScreenPoint ConsoleContextMenuPoint(const WindowRectangle& console)
{
    return {console.left + 285, console.top + 150};
}

SourceDriveClicks SourceDriveClickPoints(const WindowRectangle& wizard, int32_t row, int32_t correction)
{
    // Rows far beyond any list only move the point further down; keep the arithmetic defined.
    const int64_t rowY = int64_t(wizard.top) + 116 + 12 * int64_t(row) - correction;
    const int32_t clampedRowY = rowY > INT32_MAX ? INT32_MAX : int32_t(rowY);
    return {
        {wizard.left + 108, clampedRowY},
        {wizard.left + 250, wizard.top + 195 - correction},
        {wizard.left + 369, wizard.top + 370 - correction},
    };
}
