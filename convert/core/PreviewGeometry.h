#pragma once

#include <cstdint>

// A rectangle in pixels; right and bottom are exclusive.
struct PreviewRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const PreviewRect& other) const
    {
        return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
    }
};

// Fits a picture of width x height into `area`, keeping its proportions, so
// it touches two opposite sides and is centred along the other direction.
// Smaller pictures are enlarged. Computed in double precision, division
// first, truncating toward zero; when the picture exactly fills the height the
// height-filling case applies. A zero width or height gives `area` unchanged.
PreviewRect FitPreviewRect(const PreviewRect& area, std::uint32_t width, std::uint32_t height);
