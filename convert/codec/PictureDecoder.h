#pragma once

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
};

// Decodes picture bytes held in memory. The coder is chosen from the bytes
// (the type code is a hint only: 19 tries camera raw first, 7 allows TGA).
// The declared size is checked before any pixel is decoded. When minWidth and
// minHeight are not 0 the decoder may decode at a reduced size, never smaller
// than that. Never throws; false with a short reason.
bool DecodePicture(const std::uint8_t* data, std::size_t size, std::uint32_t typeHint, std::uint32_t minWidth,
                   std::uint32_t minHeight, DecodedPicture& picture, std::string& error);
