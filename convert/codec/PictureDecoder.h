#pragma once

#include "Animation.h"

#include <Magick++.h>

#include <cstddef>
#include <cstdint>
#include <string>

// The decoding half of ImageCodec (internal: it exposes Magick++).

struct DecodedPicture {
    Magick::Image image;             // first frame, upright, sRGB or grey
    std::uint32_t fullWidth = 0;     // the picture's own size, upright, even
    std::uint32_t fullHeight = 0;    // when `image` was decoded smaller
    bool reduced = false;            // `image` is smaller than the picture
    std::string damage;              // what the decoder said was damaged; empty when whole
    // Only from DecodePictureWithFrames: every frame of an animation, and
    // why an animation was not kept (too large); both empty for a still.
    Animation animation;
    std::string animationRefused;
};

// An animation is kept only while its frames together hold at most this
// many pixels (canvas size times frame count); a larger one is read as its
// first frame. (Measured: a kept frame costs about 10 bytes a pixel in
// ImageMagick; this keeps a whole animation within the memory limit the
// workers give ImageMagick, so frames never spill into temporary files.)
constexpr std::uint64_t kMaxAnimationPixels = 100'000'000;

// Decodes picture bytes held in memory. The coder is chosen from the bytes
// (the type code is a hint only: 19 tries camera raw first, 7 allows TGA).
// The declared size is checked before any pixel is decoded. When minWidth and
// minHeight are not 0 the decoder may decode at a reduced size, never smaller
// than that. Never throws; false with a short reason.
bool DecodePicture(const std::uint8_t* data, std::size_t size, std::uint32_t typeHint, std::uint32_t minWidth,
                   std::uint32_t minHeight, DecodedPicture& picture, std::string& error);

// The same at full size, and for an animated GIF or WebP every frame too, in
// the one decode: `image` is then the first frame as DecodePicture gives it.
bool DecodePictureWithFrames(const std::uint8_t* data, std::size_t size, std::uint32_t typeHint,
                             DecodedPicture& picture, std::string& error);
