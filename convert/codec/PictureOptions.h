#pragma once

#include "ConversionOptions.h"

#include <Magick++.h>

#include <string>

// The options' steps on a decoded picture (internal: it exposes Magick++),
// taken once per job, after the picture was turned upright and before any
// output is encoded, so every format of the job gets the same pixels.

// Resizes to ResizedSize with ImageMagick's default filter for the
// direction (Lanczos when reducing an opaque picture, Mitchell-Netravali
// for transparency and enlarging). True without change when the size
// stays; false with a reason when the new size passes the picture limits.
// `changed` says whether the pixels were resized.
bool ResizeForOptions(Magick::Image& image, const ConversionOptions& options, bool& changed, std::string& error);

// Keeps the metadata, keeps only the colour profile, or strips everything
// (the pixels then converted into sRGB first, so colours stay right), and
// removes the location (GPS) from EXIF and XMP when asked. True when it
// changed anything.
bool ApplyMetadataOptions(Magick::Image& image, const ConversionOptions& options);
