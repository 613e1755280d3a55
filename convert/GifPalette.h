#pragma once

#include <Magick++.h>

// Reduces a picture to at most 256 colours for GIF (internal to the encoder).
//
// The colours are those ImageMagick's colour tree picks; the pixels are then
// mapped with Floyd-Steinberg error diffusion of our own. ImageMagick's own
// dithering fills a 128 MiB lookup table for every picture, which costs
// more than the whole encode for small pictures. Pictures with 256 colours
// or fewer keep their colours exactly. Transparency becomes all or nothing,
// as GIF has it.
void ReduceToGifPalette(Magick::Image& picture);
