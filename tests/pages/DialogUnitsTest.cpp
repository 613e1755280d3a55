#include "DialogUnits.h"

#include <QFontMetrics>

#include <gtest/gtest.h>

namespace {

struct Conversion {
    int baseX;
    int baseY;
    int units;
    int pixelsX;
    int pixelsY;
};

class DialogUnitsConversion : public testing::TestWithParam<Conversion> {};

TEST_P(DialogUnitsConversion, RoundsToTheNearestPixelLikeWindows)
{
    const Conversion c = GetParam();
    const res::DialogUnits units(c.baseX, c.baseY);
    EXPECT_EQ(units.ToPixelsX(c.units), c.pixelsX);
    EXPECT_EQ(units.ToPixelsY(c.units), c.pixelsY);
}

INSTANTIATE_TEST_SUITE_P(Table, DialogUnitsConversion,
                         testing::Values(
                             // SimSun 9 pt on a 96 dpi screen: base units 6 x 12.
                             Conversion{6, 12, 360, 540, 540}, Conversion{6, 12, 240, 360, 360},
                             Conversion{6, 12, 1, 2, 2},  // 1.5 rounds up
                             Conversion{6, 12, 3, 5, 5},  // 4.5 rounds up
                             Conversion{6, 12, 0, 0, 0},
                             // A wider fallback font: 7 x 14.
                             Conversion{7, 14, 340, 595, 595}, Conversion{7, 14, 210, 368, 368},
                             Conversion{7, 14, 1, 2, 2}, Conversion{7, 14, 2, 4, 4},
                             // Half a pixel below zero rounds away from zero too.
                             Conversion{6, 12, -1, -2, -2}));

TEST(DialogUnits, ConvertsEachEdgeOfARectangleOnItsOwn)
{
    const res::DialogUnits units(6, 12);
    // x 1 -> 1.5 -> 2, width 169 -> 253.5 -> 254: the right edge is not
    // rounded from x + width.
    EXPECT_EQ(units.ToPixels(res::DialogRect{1, 0, 169, 153}), QRect(2, 0, 254, 230));
    EXPECT_EQ(units.ToPixels(340, 210), QSize(510, 315));
}

TEST(DialogUnits, TakesTheFontHeightAndHalfTheAverageLetterPairWidth)
{
    QFont font;
    font.setPixelSize(16);
    const res::DialogUnits units = res::DialogUnits::FromFont(font);
    const QFontMetrics metrics(font);
    EXPECT_EQ(units.BaseY(), metrics.height());
    const double average = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) / 52.0;
    EXPECT_NEAR(units.BaseX(), average, 0.5 + 1e-9);
}

}  // namespace
