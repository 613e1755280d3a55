#pragma once

#include <Magick++.h>

#include <cstdint>
#include <string>
#include <vector>

// Test pictures, made with Magick++ and written through a blob, so the name
// of the file never matters to ImageMagick.
Magick::Image ColourPicture(std::size_t width, std::size_t height);  // a red-to-blue gradient
Magick::Image GreyPicture(std::size_t width, std::size_t height);
// Left half fully transparent, right half opaque red.
Magick::Image HalfTransparentPicture(std::size_t width, std::size_t height);
void SavePicture(Magick::Image picture, const std::string& magick, const std::string& path);
// A JPEG carrying an EXIF block with the given orientation tag.
void SaveJpegWithOrientation(const Magick::Image& picture, std::uint16_t orientation, const std::string& path);

// A minimal camera raw file: an uncompressed 16-bit RGGB mosaic in a DNG.
std::vector<std::uint8_t> MinimalDng(std::uint32_t width, std::uint32_t height);

// Decodes a file the tests wrote, through a blob with an explicit coder.
Magick::Image LoadPicture(const std::string& path, const std::string& magick);

std::string PngSuiteFolder();
