#include "ColourProfile.h"

#include <lcms2.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

struct ProfileClose {
    void operator()(void* profile) const { cmsCloseProfile(profile); }
};
struct TransformFree {
    void operator()(void* transform) const { cmsDeleteTransform(transform); }
};
using ProfilePtr = std::unique_ptr<void, ProfileClose>;
using TransformPtr = std::unique_ptr<void, TransformFree>;

ProfilePtr OpenProfile(const Magick::Blob& blob)
{
    return ProfilePtr(cmsOpenProfileFromMem(blob.data(), static_cast<cmsUInt32Number>(blob.length())));
}

Magick::Blob MakeSrgbProfile()
{
    const ProfilePtr srgb(cmsCreate_sRGBProfile());
    cmsUInt32Number length = 0;
    std::vector<unsigned char> bytes;
    if (srgb && cmsSaveProfileToMem(srgb.get(), nullptr, &length) && length > 0) {
        bytes.resize(length);
        if (!cmsSaveProfileToMem(srgb.get(), bytes.data(), &length))
            bytes.clear();
    }
    return Magick::Blob(bytes.data(), bytes.size());
}

// lcms2's own sRGB, made once per process.
const Magick::Blob& SrgbProfile()
{
    static const Magick::Blob srgb = MakeSrgbProfile();
    return srgb;
}

Magick::Blob EmbeddedProfile(const Magick::Image& image)
{
    const MagickCore::StringInfo* icc = MagickCore::GetImageProfile(image.constImage(), "icc");
    if (icc == nullptr || MagickCore::GetStringInfoLength(icc) == 0)
        return Magick::Blob();
    return Magick::Blob(MagickCore::GetStringInfoDatum(icc), MagickCore::GetStringInfoLength(icc));
}

void DropProfile(Magick::Image& image)
{
    MagickCore::DeleteImageProfile(image.image(), "icc");
    MagickCore::DeleteImageProfile(image.image(), "icm");
}

// True when the profile maps a grid of colours onto themselves in sRGB
// within a level: sRGB by another name, nothing to convert.
bool ActsAsSrgb(const Magick::Blob& profile)
{
    const ProfilePtr from = OpenProfile(profile);
    const ProfilePtr to(cmsCreate_sRGBProfile());
    if (!from || !to || cmsGetColorSpace(from.get()) != cmsSigRgbData)
        return false;
    const TransformPtr transform(
        cmsCreateTransform(from.get(), TYPE_RGB_8, to.get(), TYPE_RGB_8, INTENT_PERCEPTUAL, 0));
    if (!transform)
        return false;
    std::vector<unsigned char> grid;
    for (int r = 0; r <= 255; r += 51)
        for (int g = 0; g <= 255; g += 51)
            for (int b = 0; b <= 255; b += 51)
                grid.insert(grid.end(), {static_cast<unsigned char>(r), static_cast<unsigned char>(g),
                                         static_cast<unsigned char>(b)});
    std::vector<unsigned char> mapped(grid.size());
    cmsDoTransform(transform.get(), grid.data(), mapped.data(), static_cast<cmsUInt32Number>(grid.size() / 3));
    for (std::size_t i = 0; i < grid.size(); ++i) {
        if (std::abs(int{grid[i]} - int{mapped[i]}) > 1)
            return false;
    }
    return true;
}

// Through the embedded profile into sRGB; on any failure the profile is
// dropped and the picture left as it was.
void ConvertThroughProfile(Magick::Image& image)
{
    try {
        image.modifyImage();
        image.renderingIntent(MagickCore::PerceptualIntent);
        image.profile("icc", SrgbProfile());
    } catch (const Magick::Exception&) {
    }
    DropProfile(image);
}

}  // namespace

void ApplyInputProfile(Magick::Image& image)
{
    const Magick::Blob profile = EmbeddedProfile(image);
    if (profile.length() == 0)
        return;
    if (!OpenProfile(profile)) {
        DropProfile(image);
        return;
    }
    if (image.colorSpace() == MagickCore::CMYKColorspace)
        ConvertThroughProfile(image);
}

void ConvertToSrgbForUntaggedFormat(Magick::Image& image)
{
    const Magick::Blob profile = EmbeddedProfile(image);
    if (profile.length() == 0 || image.colorSpace() == MagickCore::GRAYColorspace)
        return;
    if (ActsAsSrgb(profile)) {
        DropProfile(image);
        return;
    }
    ConvertThroughProfile(image);
}
