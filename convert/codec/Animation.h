#pragma once

#include <Magick++.h>

#include <cstdint>
#include <vector>

// The frames of an animated GIF or WebP as a viewer shows them (internal to
// the codec: it exposes Magick++).
struct Animation {
    // Whole canvases, all of one size, each already composed over the ones
    // before as the file's disposal and blending say; sRGB or grey.
    std::vector<Magick::Image> frames;
    std::vector<std::uint32_t> delaysMs;  // how long each frame shows
    // How many times the whole animation plays; 0 for ever. (GIF's loop
    // extension stores one less, which ImageMagick's reader and writer
    // account for.)
    std::uint32_t plays = 0;

    bool IsAnimated() const { return frames.size() > 1; }
};

// The images of an ImageMagick list, each taken out of it and then owned by
// its Magick::Image; the whole list is released if that fails half-way.
std::vector<Magick::Image> TakeImageList(MagickCore::Image* list);
