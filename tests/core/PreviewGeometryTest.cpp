#include "PreviewGeometry.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

struct FitCase {
    PreviewRect area;
    std::uint32_t width;
    std::uint32_t height;
    PreviewRect expected;
};

void PrintTo(const FitCase& c, std::ostream* os)
{
    *os << c.width << "x" << c.height << " in (" << c.area.left << "," << c.area.top << ")-(" << c.area.right << ","
        << c.area.bottom << ")";
}

class FitPreviewRectTest : public testing::TestWithParam<FitCase> {};

TEST_P(FitPreviewRectTest, FitsAndCentresWithTruncation)
{
    const FitCase& c = GetParam();
    const PreviewRect fitted = FitPreviewRect(c.area, c.width, c.height);
    EXPECT_EQ(fitted.left, c.expected.left);
    EXPECT_EQ(fitted.top, c.expected.top);
    EXPECT_EQ(fitted.right, c.expected.right);
    EXPECT_EQ(fitted.bottom, c.expected.bottom);
}

const PreviewRect kArea{0, 0, 250, 200};

INSTANTIATE_TEST_SUITE_P(Cases, FitPreviewRectTest, testing::Values(
    // Wide: fills the width, 37.5 truncated to 37.
    FitCase{kArea, 100, 50, {0, 37, 250, 162}},
    // Tall: fills the height and is centred across.
    FitCase{kArea, 50, 100, {75, 0, 175, 200}},
    // Small pictures are enlarged.
    FitCase{kArea, 10, 10, {25, 0, 225, 200}},
    // Exactly the area: the height-filling case.
    FitCase{kArea, 250, 200, {0, 0, 250, 200}},
    // 253 / 100 * 100 is just below 253 in double precision.
    FitCase{{0, 0, 253, 253}, 100, 100, {0, 0, 252, 253}},
    FitCase{{0, 0, 300, 253}, 100, 100, {24, 0, 276, 253}},
    // Extremes: a sliver thinner than a pixel, centred.
    FitCase{kArea, 1, 10000, {125, 0, 125, 200}},
    FitCase{kArea, 10000, 1, {0, 100, 250, 100}},
    // An area that does not start at the origin.
    FitCase{{10, 20, 260, 220}, 100, 50, {10, 57, 260, 182}},
    FitCase{{10, 20, 260, 220}, 50, 100, {85, 20, 185, 220}},
    // No picture: the area is left as it is.
    FitCase{kArea, 0, 100, kArea},
    FitCase{kArea, 100, 0, kArea}));

}  // namespace
