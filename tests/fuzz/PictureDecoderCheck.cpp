#include "FuzzChecks.h"

#include "CodecEnvironment.h"
#include "OutputFormat.h"
#include "PictureDecoder.h"

#include <Magick++.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>

namespace {

// Sides above this are refused before decoding here, as the real limit
// refuses larger ones: the fuzzer is after parsing faults, and decoding a
// legitimately huge picture only costs it time.
constexpr MagickCore::MagickSizeType kFuzzSideLimit = 4096;
constexpr MagickCore::MagickSizeType kFuzzAreaLimit = 16'000'000;

void PrepareLikeAWorker()
{
    static std::once_flag once;
    std::call_once(once, [] {
        // The worker's own ImageMagick policy, as the engine gives it.
        ::setenv("MAGICK_CONFIGURE_PATH", TESSAGLYPH_POLICY_DIR, 1);
        EnsureCodecReady();
        MagickCore::SetMagickResourceLimit(MagickCore::WidthResource, kFuzzSideLimit);
        MagickCore::SetMagickResourceLimit(MagickCore::HeightResource, kFuzzSideLimit);
        MagickCore::SetMagickResourceLimit(MagickCore::AreaResource, kFuzzAreaLimit);
    });
}

// libFuzzer sees coverage only in our own code; ImageMagick, LibRaw and the
// codec libraries are not instrumented, so every picture would look alike to
// it. Each distinct outcome (a refusal's reason, or the kind and rough size
// of what was decoded) marks one of these counters instead, which libFuzzer
// reads like coverage: inputs that reach new outcomes are kept and mutated
// further. In a build without libFuzzer nobody reads them.
constexpr std::size_t kOutcomeSlots = 4096;
__attribute__((used, section("__libfuzzer_extra_counters"))) std::uint8_t g_outcomes[kOutcomeSlots];

void NoteOutcome(const std::string& outcome)
{
    g_outcomes[std::hash<std::string>{}(outcome) % kOutcomeSlots] = 1;
}

unsigned Log2(std::size_t n)
{
    unsigned bits = 0;
    while (n >>= 1)
        ++bits;
    return bits;
}

std::string DecodedKind(const DecodedPicture& picture, std::uint32_t hint, std::uint32_t minSide)
{
    const Magick::Image& image = picture.image;
    return std::to_string(hint) + "/" + std::to_string(minSide) + ":" + std::to_string(image.colorSpace()) + "," +
           std::to_string(image.depth()) + "," + std::to_string(image.matte()) + "," +
           std::to_string(image.classType()) + "," + std::to_string(Log2(image.columns())) + "x" +
           std::to_string(Log2(image.rows())) + "," + std::to_string(picture.reduced);
}

bool Upright(MagickCore::OrientationType orientation)
{
    return orientation == MagickCore::UndefinedOrientation || orientation == MagickCore::TopLeftOrientation;
}

bool EncodersTake(MagickCore::ColorspaceType space)
{
    return space == MagickCore::sRGBColorspace || space == MagickCore::GRAYColorspace ||
           space == MagickCore::UndefinedColorspace;
}

}  // namespace

std::string CheckPictureDecoder(const std::uint8_t* data, std::size_t size)
{
    PrepareLikeAWorker();
    // The last byte picks what the worker was told: a .raw name (camera raw
    // first) for a quarter of the inputs, TGA allowed for the rest, and a
    // preview's reduced decode for half of them.
    const std::uint8_t last = size > 0 ? data[size - 1] : 0;
    const std::uint32_t hint = (last & 3) == 0 ? kTypeRaw : kTypeTga;
    const std::uint32_t minSide = (last & 4) != 0 ? 40 : 0;

    DecodedPicture picture;
    std::string error;
    if (!DecodePicture(data, size, hint, minSide, minSide, picture, error)) {
        NoteOutcome(std::to_string(hint) + "/" + std::to_string(minSide) + ":" + error);
        if (error.empty())
            return "a refused picture has no reason";
        if (picture.fullWidth != 0 || picture.fullHeight != 0 || picture.image.isValid())
            return "a refused picture left pixels behind";
        return {};
    }
    NoteOutcome(DecodedKind(picture, hint, minSide));
    const std::size_t width = picture.image.columns();
    const std::size_t height = picture.image.rows();
    if (width == 0 || height == 0)
        return "a decoded picture is empty";
    if (picture.fullWidth > kMaxPictureSide || picture.fullHeight > kMaxPictureSide ||
        std::uint64_t{picture.fullWidth} * picture.fullHeight > kMaxPicturePixels)
        return "a picture over the limits was decoded";
    if (!picture.reduced && (width != picture.fullWidth || height != picture.fullHeight))
        return "the decoded size differs from the size the picture declares";
    if (picture.reduced) {
        if (minSide == 0)
            return "a full decode came back reduced";
        if (width > picture.fullWidth || height > picture.fullHeight)
            return "a reduced decode is larger than the picture";
        if (width < std::min<std::size_t>(minSide, picture.fullWidth) ||
            height < std::min<std::size_t>(minSide, picture.fullHeight))
            return "a reduced decode is smaller than asked for";
    }
    if (!Upright(picture.image.orientation()))
        return "a decoded picture is not upright";
    if (!EncodersTake(picture.image.colorSpace()))
        return "a decoded picture is in a colour space the encoders do not take";
    return {};
}
