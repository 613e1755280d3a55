#pragma once

#include "ConversionOptions.h"

#include <cstdint>

struct PixelSize {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool operator==(const PixelSize& other) const { return width == other.width && height == other.height; }
};

// The size the options' resize gives a picture of `size` (upright): the same
// size for ResizeMode::None; otherwise scaled by one factor so it fits within
// resizeWidth x resizeHeight (Fit) or its longer side is maxSide (LongestSide),
// the limiting side exactly, the other rounded to the nearest pixel and never
// 0. With neverEnlarge a picture that would grow keeps its size.
PixelSize ResizedSize(PixelSize size, const ConversionOptions& options);
