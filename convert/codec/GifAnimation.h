#pragma once

#include "Animation.h"

#include <Magick++.h>

// An animated GIF of every frame (internal to the encoder).
//
// The frames are first cut down to the rectangles that change, with the
// disposal that makes each one show as the animation does (ImageMagick's
// frame optimisation, exact on the full-colour frames); then each
// rectangle gets its own palette (ReduceToGifPalette). Delays are rounded
// to GIF's hundredths of a second; the play count is kept. Throws what
// Magick++ throws.
void EncodeGifAnimation(const Animation& animation, Magick::Blob& encoded);
