#include "PictureOptions.h"

#include "CodecEnvironment.h"
#include "ColourProfile.h"
#include "MetadataEdit.h"
#include "ResizeGeometry.h"

#include <vector>

namespace {

std::vector<std::string> ProfileNames(Magick::Image& image)
{
    std::vector<std::string> names;
    MagickCore::ResetImageProfileIterator(image.constImage());
    while (const char* name = MagickCore::GetNextImageProfile(image.constImage()))
        names.emplace_back(name);
    return names;
}

// Properties parsed out of the profiles, which some writers (PNG's text
// chunks) would carry on their own.
void DeleteProperties(Magick::Image& image, const std::string& prefix)
{
    std::vector<std::string> names;
    MagickCore::ResetImagePropertyIterator(image.constImage());
    while (const char* name = MagickCore::GetNextImageProperty(image.constImage())) {
        if (std::string(name).compare(0, prefix.size(), prefix) == 0)
            names.emplace_back(name);
    }
    for (const std::string& name : names)
        MagickCore::DeleteImageProperty(image.image(), name.c_str());
}

std::vector<std::uint8_t> ProfileBytes(const Magick::Image& image, const char* name)
{
    const MagickCore::StringInfo* profile = MagickCore::GetImageProfile(image.constImage(), name);
    if (profile == nullptr)
        return {};
    const unsigned char* data = MagickCore::GetStringInfoDatum(profile);
    return std::vector<std::uint8_t>(data, data + MagickCore::GetStringInfoLength(profile));
}

void SetProfileBytes(Magick::Image& image, const char* name, const void* data, std::size_t length)
{
    image.profile(name, Magick::Blob(data, length));
}

// The location goes from both places it is kept; a block whose structure
// cannot be followed goes whole, rather than keep a location.
bool RemoveLocation(Magick::Image& image)
{
    bool changed = false;
    std::vector<std::uint8_t> exif = ProfileBytes(image, "exif");
    if (!exif.empty()) {
        const std::vector<std::uint8_t> before = exif;
        if (!RemoveExifGps(exif))
            MagickCore::DeleteImageProfile(image.image(), "exif");
        else if (exif != before)
            SetProfileBytes(image, "exif", exif.data(), exif.size());
        changed = exif != before;
    }
    const std::vector<std::uint8_t> xmpBytes = ProfileBytes(image, "xmp");
    if (!xmpBytes.empty()) {
        std::string xmp(xmpBytes.begin(), xmpBytes.end());
        if (!RemoveXmpGps(xmp))
            MagickCore::DeleteImageProfile(image.image(), "xmp");
        else if (xmp.size() != xmpBytes.size())
            SetProfileBytes(image, "xmp", xmp.data(), xmp.size());
        changed = changed || xmp.size() != xmpBytes.size();
    }
    DeleteProperties(image, "exif:GPS");
    DeleteProperties(image, "xmp:GPS");
    return changed;
}

}  // namespace

bool ResizeForOptions(Magick::Image& image, const ConversionOptions& options, bool& changed, std::string& error)
{
    changed = false;
    const PixelSize now{static_cast<std::uint32_t>(image.columns()), static_cast<std::uint32_t>(image.rows())};
    const PixelSize wanted = ResizedSize(now, options);
    if (wanted == now)
        return true;
    if (!FitsPictureLimits(wanted.width, wanted.height)) {
        error = "the resized picture would be too large (" + std::to_string(wanted.width) + " x " +
                std::to_string(wanted.height) + " pixels)";
        return false;
    }
    Magick::Geometry exact(wanted.width, wanted.height);
    exact.aspect(true);
    image.modifyImage();
    image.resize(exact);
    changed = true;
    return true;
}

bool ApplyMetadataOptions(Magick::Image& image, const ConversionOptions& options)
{
    if (options.metadata == MetadataChoice::Keep && !options.removeGps)
        return false;
    image.modifyImage();
    if (options.metadata == MetadataChoice::Keep)
        return RemoveLocation(image);
    if (options.metadata == MetadataChoice::Strip)
        ConvertToSrgbForUntaggedFormat(image);
    for (const std::string& name : ProfileNames(image)) {
        const bool colour = name == "icc" || name == "icm";
        if (options.metadata == MetadataChoice::Strip || !colour)
            MagickCore::DeleteImageProfile(image.image(), name.c_str());
    }
    MagickCore::DeleteImageProperty(image.image(), "comment");
    DeleteProperties(image, "exif:");
    DeleteProperties(image, "xmp:");
    return true;
}
