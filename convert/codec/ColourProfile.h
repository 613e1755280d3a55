#pragma once

#include <Magick++.h>

// The pictures' embedded ICC profiles (internal to the codec: it exposes
// Magick++). Conversions go through lcms2, perceptual intent, into sRGB.

// At decoding: a profile lcms2 cannot open is dropped, so no output carries
// it; a CMYK picture with a profile is converted through it into sRGB (the
// profile is dropped then, as the pixels no longer need it).
void ApplyInputProfile(Magick::Image& image);

// For formats that cannot carry a profile: an RGB picture whose profile is
// not sRGB is converted through it into sRGB, and the profile dropped.
void ConvertToSrgbForUntaggedFormat(Magick::Image& image);
