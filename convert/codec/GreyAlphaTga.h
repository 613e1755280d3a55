#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// TGA types 3 (grey) and 11 (grey, run-length coded) with 16 bits a pixel:
// a grey byte and an alpha byte. ImageMagick 6 reads these as 5-5-5 colour
// without transparency, so they are read here. No Magick++: a pure function
// of the bytes.

// True when the header names such a picture.
bool IsGreyAlphaTga(const std::uint8_t* data, std::size_t size);

struct GreyAlphaPicture {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint8_t> rgba;  // width * height * 4, top row first, not premultiplied
    std::string damage;              // why some pixels are missing; empty when whole
};

// Decodes the picture, turned by the header's origin bits. A file that ends
// early gives the pixels it holds (the rest transparent) and a damage note.
// False with a reason when the header is unusable or the declared size could
// never fit into the file.
bool ReadGreyAlphaTga(const std::uint8_t* data, std::size_t size, GreyAlphaPicture& picture, std::string& error);
