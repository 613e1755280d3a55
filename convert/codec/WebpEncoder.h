#pragma once

#include "PictureEncoder.h"

// The Webp writer (internal: it exposes Magick++).
bool EncodeWebp(const Magick::Image& picture, const EncodeOptions& options, Magick::Blob& encoded, std::string& error);
