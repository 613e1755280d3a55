#pragma once

#include <string>

// ImageMagick's messages end in a source location and an empty file name
// ("improper image header `' @ error/png.c/ReadPNGImage/4115"); users get
// only the first part ("improper image header").
std::string ShortMagickReason(const std::string& message);
