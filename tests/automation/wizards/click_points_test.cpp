#include "automation/wizards/click_points.h"

#include <gtest/gtest.h>

static bool operator==(ScreenPoint a, ScreenPoint b) { return a.x == b.x && a.y == b.y; }
static void PrintTo(ScreenPoint p, std::ostream* os) { *os << "(" << p.x << ", " << p.y << ")"; }

namespace {

TEST(ClickPoints, SourceDrivePageOnXpAndOnNt6)
{
    const WindowRectangle wizard = {100, 100, 620, 485};

    const SourceDriveClicks xp = SourceDriveClickPoints(wizard, 1, ClickCorrectionForVersion(16));
    EXPECT_EQ((ScreenPoint{208, 228}), xp.driveRow);
    EXPECT_EQ((ScreenPoint{350, 295}), xp.firstButton);
    EXPECT_EQ((ScreenPoint{469, 470}), xp.secondButton);

    const SourceDriveClicks nt6 = SourceDriveClickPoints(wizard, 1, ClickCorrectionForVersion(18));
    EXPECT_EQ((ScreenPoint{208, 220}), nt6.driveRow);
    EXPECT_EQ((ScreenPoint{350, 287}), nt6.firstButton);
    EXPECT_EQ((ScreenPoint{469, 462}), nt6.secondButton);
}

TEST(ClickPoints, RowsAreTwelvePixelsApartAndOnlyTheRowMoves)
{
    const WindowRectangle wizard = {100, 100, 620, 485};
    const SourceDriveClicks first = SourceDriveClickPoints(wizard, 1, 0);
    const SourceDriveClicks third = SourceDriveClickPoints(wizard, 3, 0);
    EXPECT_EQ(first.driveRow.y + 24, third.driveRow.y);
    EXPECT_EQ(first.driveRow.x, third.driveRow.x);
    EXPECT_EQ(first.firstButton, third.firstButton);
    EXPECT_EQ(first.secondButton, third.secondButton);
}

TEST(ClickPoints, OnlyVersionCode18IsCorrected)
{
    for (int code = 0; code < 256; ++code)
        EXPECT_EQ(code == 18 ? 8 : 0, ClickCorrectionForVersion(uint8_t(code))) << code;
}

TEST(ClickPoints, HugeRowStaysDefined)
{
    const SourceDriveClicks clicks = SourceDriveClickPoints({0, 0, 520, 385}, INT32_MAX, 0);
    EXPECT_EQ(INT32_MAX, clicks.driveRow.y);
}

TEST(ClickPoints, ConsoleContextMenu)
{
    EXPECT_EQ((ScreenPoint{385, 250}), ConsoleContextMenuPoint({100, 100, 620, 485}));
    EXPECT_EQ((ScreenPoint{285, 150}), ConsoleContextMenuPoint({0, 0, 520, 385}));
}

}  // namespace
