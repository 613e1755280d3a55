#pragma once

#include <cstddef>
#include <cstdint>

// Picks the decoder for a file from its first bytes. Only raster formats with
// mature decoders are named; scripts, vector drawings, documents, text and
// anything unrecognised give nullptr, so ImageMagick never guesses a coder
// from a file's name or content by itself.
//
// The type code is only a hint: it is used for TGA alone, which has no
// signature and is accepted only when the caller expects TGA.
//
// Returns an ImageMagick coder name ("PNG", "JPEG", ...) or nullptr.
const char* SniffPictureFormat(const std::uint8_t* data, std::size_t size, std::uint32_t typeHint);
