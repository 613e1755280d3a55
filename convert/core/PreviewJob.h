#pragma once

#include "PreviewGeometry.h"

#include <cstdint>
#include <string>
#include <vector>

// A picture to show fitted into a preview area of the given size (pixels).
struct PreviewRequest {
    std::string path;
    std::uint32_t inputType = 0;  // TypeFromPath of path; only a hint
    int areaWidth = 0;
    int areaHeight = 0;
};

// The picture scaled into its fitted rectangle of the area. `rgba` holds
// rect.Width() x rect.Height() pixels, 4 bytes each (R, G, B, A), rows top to
// bottom. When !ok nothing is drawn but the grey area.
struct PreviewResult {
    bool ok = false;
    std::string error;
    std::uint32_t pictureWidth = 0;
    std::uint32_t pictureHeight = 0;
    PreviewRect rect;
    std::vector<std::uint8_t> rgba;
};
