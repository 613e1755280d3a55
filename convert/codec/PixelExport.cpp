#include "PixelExport.h"

#include <cstring>

namespace {

std::vector<std::uint8_t> ProfileBytes(const Magick::Image& picture, const char* name)
{
    const Magick::Blob blob = picture.profile(name);
    const auto* data = static_cast<const std::uint8_t*>(blob.data());
    return data == nullptr ? std::vector<std::uint8_t>() : std::vector<std::uint8_t>(data, data + blob.length());
}

}  // namespace

ExportedPixels ExportPixels(const Magick::Image& picture, bool allowGrey, bool keepDeep)
{
    ExportedPixels pixels;
    pixels.width = static_cast<std::uint32_t>(picture.columns());
    pixels.height = static_cast<std::uint32_t>(picture.rows());
    pixels.alpha = picture.matte();
    pixels.bits = keepDeep && picture.depth() > 8 ? 16 : 8;
    Magick::Image work(picture);
    if (allowGrey && work.colorSpace() == MagickCore::GRAYColorspace) {
        pixels.grey = true;
    } else if (work.colorSpace() != MagickCore::sRGBColorspace) {
        work.colorSpace(MagickCore::sRGBColorspace);
    }
    const char* map = pixels.grey ? (pixels.alpha ? "IA" : "I") : (pixels.alpha ? "RGBA" : "RGB");
    pixels.samples.resize(pixels.RowBytes() * pixels.height);
    work.write(0, 0, pixels.width, pixels.height, map, pixels.bits == 16 ? Magick::ShortPixel : Magick::CharPixel,
               pixels.samples.data());
    return pixels;
}

PictureMetadata MetadataOf(const Magick::Image& picture)
{
    PictureMetadata metadata;
    metadata.icc = ProfileBytes(picture, "icc");
    metadata.xmp = ProfileBytes(picture, "xmp");
    metadata.exif = ProfileBytes(picture, "exif");
    // JPEG's APP1 form starts with "Exif\0\0"; the containers want the TIFF
    // structure itself.
    static constexpr char kExifHeader[] = {'E', 'x', 'i', 'f', 0, 0};
    if (metadata.exif.size() >= sizeof kExifHeader &&
        std::memcmp(metadata.exif.data(), kExifHeader, sizeof kExifHeader) == 0)
        metadata.exif.erase(metadata.exif.begin(), metadata.exif.begin() + sizeof kExifHeader);
    return metadata;
}
