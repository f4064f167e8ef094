#include <gtest/gtest.h>

#include "project/Colors.h"
#include "project/MulDiv.h"

using namespace korvel;

TEST(MulDiv, RoundsHalvesAwayFromZero)
{
    EXPECT_EQ(mulDiv(10, 96, 72), 13);   // 13.33
    EXPECT_EQ(mulDiv(18, 96, 72), 24);
    EXPECT_EQ(mulDiv(14, 96, 72), 19);   // 18.67
    EXPECT_EQ(mulDiv(-13, 72, 96), -10); // -9.75
    EXPECT_EQ(mulDiv(1, 1, 2), 1);
    EXPECT_EQ(mulDiv(-1, 1, 2), -1);
    EXPECT_EQ(mulDiv(3, 440, 100), 13);  // 13.2
    EXPECT_EQ(mulDiv(1, 5, 0), -1);
    EXPECT_EQ(mulDiv(100000, 100000, 1), -1); // overflow
}

TEST(Colors, SystemColoursResolveToTheStandardScheme)
{
    EXPECT_EQ(resolveColor(clWindowText), QColor(0, 0, 0));
    EXPECT_EQ(resolveColor(clBtnFace), QColor(192, 192, 192));
    EXPECT_EQ(resolveColor(0x0000FF), QColor(255, 0, 0)); // 0x00BBGGRR
    EXPECT_EQ(resolveColor(0xFF0000), QColor(0, 0, 255));
    EXPECT_EQ(resolveColor(clNone).alpha(), 0);
    EXPECT_EQ(toColorRef(QColor(0x12, 0x34, 0x56)), 0x563412u);
}
