#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Offsets of the padding bytes of a classic TIFF file: libtiff starts the
// directory and each value block on an even offset, skipping one byte after
// an item of odd length. ImageMagick writes TIFF into a growing memory block
// and never sets that byte, so it would carry a leftover of the heap into the
// file (and two saves of one picture would differ). Only single bytes at odd
// offsets that nothing in the file points at, directly before an item that
// starts on the next even offset, are reported; anything the walk cannot
// account for is left alone. Empty for BigTIFF and for what is not TIFF.
std::vector<std::size_t> TiffPaddingBytes(const std::uint8_t* data, std::size_t size);
