#include "AvifEncoder.h"

bool EncodeAvif(const Magick::Image&, const EncodeOptions&, Magick::Blob&, std::string& error)
{
    error = "the Avif writer is not built yet";
    return false;
}
