#pragma once

#include "Animation.h"
#include "PictureEncoder.h"

// The WebP writer on libwebp (internal: it exposes Magick++).
//
// Photos (a JPEG input, or what CompressionProbe calls a photo) are lossy at
// quality 90, everything else lossless; every other setting is libwebp's
// default, which is cwebp's too (method 4, the alpha plane compressed
// losslessly). Grey is stored as RGB, deeper samples as 8 bits. The
// picture's ICC profile, EXIF and XMP travel in their chunks. WebP allows at
// most 16383 pixels a side; larger pictures are refused with that reason.
// Never throws; false with a short reason.
bool EncodeWebp(const Magick::Image& picture, const EncodeOptions& options, Magick::Blob& encoded, std::string& error);

// An animated WebP of every frame, its delay and the play count, through
// libwebp's animation encoder: lossy or lossless by the first frame, as
// above, and the first frame's metadata. Never throws.
bool EncodeWebpAnimation(const Animation& animation, Magick::Blob& encoded, std::string& error);
