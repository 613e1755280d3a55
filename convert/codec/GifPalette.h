#pragma once

#include <Magick++.h>

// Reduces a picture to at most 256 colours for GIF (internal to the encoder).
//
// A picture with 256 colours or fewer keeps them exactly. Otherwise the
// colours are those ImageMagick's colour tree picks from a sample of about a
// million pixels, and every pixel is mapped with Floyd-Steinberg error
// diffusion of our own. ImageMagick's own reduction classifies every pixel
// and its dithering fills a 128 MiB lookup table per picture: seconds for a
// photo, and more than the whole encode for an icon. Transparency becomes
// all or nothing, as GIF has it.
void ReduceToGifPalette(Magick::Image& picture);
