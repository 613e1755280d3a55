#include "JxlEncoder.h"

bool EncodeJxl(const Magick::Image&, const EncodeOptions&, Magick::Blob&, std::string& error)
{
    error = "the Jxl writer is not built yet";
    return false;
}
