#include "WebpEncoder.h"

bool EncodeWebp(const Magick::Image&, const EncodeOptions&, Magick::Blob&, std::string& error)
{
    error = "the Webp writer is not built yet";
    return false;
}
