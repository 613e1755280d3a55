#pragma once

#include <Magick++.h>

#include <cstddef>
#include <cstdint>
#include <vector>

// Pixels and metadata of a decoded picture in the plain layouts that encoder
// libraries take (internal: it exposes Magick++).

struct ExportedPixels {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    bool grey = false;   // one colour channel (I) instead of three (R, G, B)
    bool alpha = false;  // a last channel of opacity, not premultiplied
    unsigned bits = 8;   // 8, or 16 in native byte order
    std::vector<std::uint8_t> samples;  // interleaved, rows top to bottom, no padding

    std::size_t Channels() const { return (grey ? 1u : 3u) + (alpha ? 1u : 0u); }
    std::size_t RowBytes() const { return std::size_t{width} * Channels() * (bits / 8); }
};

// The picture's pixels in sRGB or grey as it holds them; 16 bits a sample
// when the picture has more than 8 and `keepDeep`, else 8. Grey only when
// `allowGrey` and the picture is grey; alpha only when it has some.
// Throws what Magick++ throws.
ExportedPixels ExportPixels(const Magick::Image& picture, bool allowGrey, bool keepDeep);

struct PictureMetadata {
    std::vector<std::uint8_t> icc;   // ICC profile, empty when none
    std::vector<std::uint8_t> exif;  // TIFF header first ("II*\0" / "MM\0*"), no "Exif\0\0"
    std::vector<std::uint8_t> xmp;   // the XMP packet
};

// The colour profile, EXIF and XMP the picture carries; the EXIF orientation
// has already been reset when the decoder turned the picture upright.
PictureMetadata MetadataOf(const Magick::Image& picture);
