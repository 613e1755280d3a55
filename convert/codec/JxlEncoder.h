#pragma once

#include "PictureEncoder.h"

// The JPEG XL writer on libjxl (internal: it exposes Magick++).
//
// A JPEG input (options.sourceJpeg) is recompressed losslessly: libjxl keeps
// what it needs to give back the identical JPEG file, EXIF, XMP and ICC
// profile included, as they are. JPEGs libjxl cannot take that way (CMYK,
// arithmetic coding, some samplings) and every other picture are encoded
// from their pixels at distance 1.0, effort 7: 16 bits kept when the picture
// has more than 8, alpha kept, grey as grey, the ICC profile (else sRGB),
// EXIF and XMP in their boxes.
//
// libjxl 0.7 holds the whole picture several times over as floats and ends
// the process when an allocation fails, so pictures it could not encode
// within a worker's memory are refused beforehand (kJxl* below); the patch
// search, which alone needs three times the rest, is left out above
// kJxlPatchSearchMaxPixels.

constexpr std::uint64_t kJxlPatchSearchMaxPixels = 6'000'000;
constexpr std::uint64_t kJxlMaxPixels = 22'000'000;
constexpr std::uint64_t kJxlMaxJpegPixels = 26'000'000;

// Never throws; false with a short reason.
bool EncodeJxl(const Magick::Image& picture, const EncodeOptions& options, Magick::Blob& encoded, std::string& error);
