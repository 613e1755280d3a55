#include "ResizeGeometry.h"

#include <algorithm>

namespace {

// `side` scaled by limit / by, to the nearest pixel, at least 1.
std::uint32_t Scaled(std::uint64_t side, std::uint64_t limit, std::uint64_t by)
{
    return static_cast<std::uint32_t>(std::max<std::uint64_t>(1, (side * limit + by / 2) / by));
}

}  // namespace

PixelSize ResizedSize(PixelSize size, const ConversionOptions& options)
{
    if (size.width == 0 || size.height == 0 || options.resize == ResizeMode::None)
        return size;
    const std::uint64_t w = size.width;
    const std::uint64_t h = size.height;
    std::uint64_t boxWidth = static_cast<std::uint64_t>(std::max(options.resizeWidth, 1));
    std::uint64_t boxHeight = static_cast<std::uint64_t>(std::max(options.resizeHeight, 1));
    if (options.resize == ResizeMode::LongestSide)
        boxWidth = boxHeight = static_cast<std::uint64_t>(std::max(options.maxSide, 1));
    PixelSize resized;
    // Width limits when w / h is at least boxWidth / boxHeight.
    if (w * boxHeight >= h * boxWidth)
        resized = {static_cast<std::uint32_t>(boxWidth), std::min(Scaled(h, boxWidth, w), static_cast<std::uint32_t>(boxHeight))};
    else
        resized = {std::min(Scaled(w, boxHeight, h), static_cast<std::uint32_t>(boxWidth)), static_cast<std::uint32_t>(boxHeight)};
    if (options.neverEnlarge && (resized.width > size.width || resized.height > size.height))
        return size;
    return resized;
}
