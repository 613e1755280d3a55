#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// A picture's header may declare any size; its compressed data can only
// carry so many pixels per byte (deflate at most 1032 bytes per byte, LZW
// about 2730, a JPEG block at least two bits, ...). A file that could never
// hold what it declares is refused before a decoder takes memory for it: it
// is damaged, or made to exhaust memory.
//
// Reads the header of the first picture for PNG, GIF, BMP, ICO/CUR, JPEG and
// TIFF (the formats whose decoders take the declared size first and fill
// what is missing); other coders, unknown compressions and headers it cannot
// read pass, and their decoders judge them. Pictures of a few megapixels
// always pass. False with a reason for the user.
bool DeclaredSizeFitsFile(const char* coder, const std::uint8_t* data, std::size_t size, std::string& error);

