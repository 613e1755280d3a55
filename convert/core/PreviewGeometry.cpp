#include "PreviewGeometry.h"

PreviewRect FitPreviewRect(const PreviewRect& area, std::uint32_t width, std::uint32_t height)
{
    if (width == 0 || height == 0)
        return area;
    const int areaWidth = area.Width();
    const int areaHeight = area.Height();
    PreviewRect fitted = area;
    // Division first, as the drawing has always been computed: a 100x100
    // picture in a 253-high area is 252 wide, not 253.
    const double fullHeightWidth = static_cast<double>(areaHeight) / height * width;
    if (areaWidth >= fullHeightWidth) {
        const int drawnWidth = static_cast<int>(fullHeightWidth);
        fitted.left = static_cast<int>((areaWidth - drawnWidth) * 0.5 + area.left);
        fitted.right = fitted.left + drawnWidth;
    } else {
        const int drawnHeight = static_cast<int>(static_cast<double>(areaWidth) / width * height);
        fitted.top = static_cast<int>((areaHeight - drawnHeight) * 0.5 + area.top);
        fitted.bottom = fitted.top + drawnHeight;
    }
    return fitted;
}
