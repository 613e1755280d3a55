#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A JPEG XL picture decoded by libjxl: its first frame, upright (libjxl
// applies the orientation), in the colour space of `icc` (sRGB when empty).
struct JxlPicture {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool grey = false;   // one colour channel instead of three
    bool alpha = false;  // a last channel of opacity, not premultiplied
    unsigned bits = 8;   // 8, or 16 in native byte order
    std::vector<std::uint8_t> samples;  // interleaved, rows top to bottom, no padding
    std::vector<std::uint8_t> icc;      // the pixels' profile; empty for sRGB
    std::vector<std::uint8_t> exif;     // TIFF header first
    std::vector<std::uint8_t> xmp;
};

// libjxl 0.7 ends the process when an allocation fails; a picture this large
// (about 20 bytes a pixel with our copy) stays within a worker's memory.
constexpr std::uint64_t kJxlMaxDecodePixels = 60'000'000;

// Decodes JPEG XL bytes held in memory. `fits` judges the declared size
// (upright) before any pixel is decoded. Never throws; false with a short
// reason ("it cannot be decoded (...)").
bool DecodeJxl(const std::uint8_t* data, std::size_t size, bool (*fits)(std::uint64_t width, std::uint64_t height),
               JxlPicture& picture, std::string& error);
