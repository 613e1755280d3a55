#pragma once

#include "ReadableFormats.h"

#include <cstddef>
#include <cstdint>

// Picks the reader for a file from its first bytes (kSignatureBytes are
// enough), following the rows of ReadableFormats(). Only raster formats with
// mature decoders are named; scripts, vector drawings, documents, text and
// anything unrecognised give nullptr, so ImageMagick never guesses a coder
// from a file's name or content by itself.
//
// The type code is only a hint: 7 lets a file without any signature be read
// as TGA, and 19 (a name ending in "raw") lets LibRaw try any file, since it
// knows some cameras by the file's size alone.

// The row whose signature the bytes carry, or nullptr.
const ReadableFormat* SniffReadableFormat(const std::uint8_t* data, std::size_t size, std::uint32_t typeHint);

// The row's ImageMagick coder ("PNG", "JPEG", ...), or nullptr when no row
// matches or only LibRaw reads the format.
const char* SniffPictureFormat(const std::uint8_t* data, std::size_t size, std::uint32_t typeHint);

// True when LibRaw is tried before ImageMagick: camera raw and TIFF
// signatures (most raw formats are TIFF containers), and any .raw name.
bool TriesCameraRawFirst(const std::uint8_t* data, std::size_t size, std::uint32_t typeHint);
