#pragma once

#include "ConversionOptions.h"

#include <Magick++.h>

#include <cstdint>
#include <string>

// The encoding half of ImageCodec (internal: it exposes Magick++).

struct EncodeOptions {
    std::uint8_t jpegQuality = 90;
    bool trueColour = false;  // IncreaseBpp(24): JPEG with three channels even for grey pixels
    ConversionOptions options;  // the job's options, for every writer to read
    // False once the options resized the picture or changed its metadata: a
    // writer must then encode the picture held, never reuse the input's bytes.
    bool asDecoded = true;
};

// Encodes `picture` into the format of an output type code of the format
// table, working on its own copy: `picture` never changes. Settings per
// format:
//   BMP  8 bits a sample; version 3 unless there is transparency.
//   JPG  transparency flattened onto white; grey stays a one-channel JPEG
//        unless trueColour; the JPEG input's chroma sampling is kept, other
//        inputs get 4:4:4 (unless options.jpegChroma says 4:4:4 or 4:2:0);
//        Huffman tables optimised except for large pictures that came as
//        JPEG; progressive when options.jpegProgressive.
//   GIF  at most 256 colours, dithered (see GifPalette).
//   PCX, TGA  8 bits a sample, uncompressed TGA.
//   PNG  photos (see CompressionProbe): zlib level 1 with run-length
//        matching; everything else ImageMagick's own choice. No time stamps,
//        so the same picture always gives the same file.
//   ICO  reduced to fit 256x256, keeping its proportions.
//   TIF  photos uncompressed, everything else Deflate, whatever the input used;
//        the EXIF block kept (ImageMagick 6's writer leaves it out).
//   RAW  headerless 8-bit RGB, interleaved, rows top to bottom, transparency
//        flattened onto white: exactly width * height * 3 bytes.
// Never throws; false with a short reason.
bool EncodePicture(const Magick::Image& picture, std::uint32_t typeCode, const EncodeOptions& options,
                   Magick::Blob& encoded, std::string& error);

// Removes transparency by laying the picture on white; no-op when opaque.
void FlattenOntoWhite(Magick::Image& image);
