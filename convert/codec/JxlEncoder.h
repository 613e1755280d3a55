#pragma once

#include "PictureEncoder.h"

// The Jxl writer (internal: it exposes Magick++).
bool EncodeJxl(const Magick::Image& picture, const EncodeOptions& options, Magick::Blob& encoded, std::string& error);
