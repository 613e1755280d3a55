#pragma once

#include "PictureEncoder.h"

// The Avif writer (internal: it exposes Magick++).
bool EncodeAvif(const Magick::Image& picture, const EncodeOptions& options, Magick::Blob& encoded, std::string& error);
