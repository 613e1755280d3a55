#pragma once

#include "Animation.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Animated WebP through libwebp's animation decoder (internal to the
// decoder). ImageMagick 6.9.11 reads the frames but composes frames that
// replace their area (no blending) over the previous one and rounds delays
// to hundredths; libwebp gives each frame as the format defines it.

// True when the bytes are a WebP whose header announces an animation.
bool IsAnimatedWebp(const std::uint8_t* data, std::size_t size);

struct WebpAnimationInfo {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t frames = 0;
};

// The canvas and frame count from the headers, without decoding a frame.
bool ReadWebpAnimationInfo(const std::uint8_t* data, std::size_t size, WebpAnimationInfo& info);

// Every frame, composed on its canvas, with delays and the play count; the
// file's ICC profile, EXIF and XMP on the first frame. Frames after the
// first that cannot be decoded end the animation there, with `damage` set.
// Throws what Magick++ throws; false with a reason when nothing was read.
bool ReadWebpAnimation(const std::uint8_t* data, std::size_t size, Animation& animation, std::string& damage,
                       std::string& error);
