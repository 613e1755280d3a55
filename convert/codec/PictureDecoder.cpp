#include "PictureDecoder.h"

#include "CameraRawReader.h"
#include "CodecEnvironment.h"
#include "DeclaredSize.h"
#include "ColourProfile.h"
#include "FormatSniffer.h"
#include "GreyAlphaTga.h"
#include "JxlDecoder.h"
#include "MagickHandles.h"
#include "MagickReason.h"
#include "OutputFormat.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

using MagickCore::ExceptionInfo;
using MagickCore::ImageInfo;

struct ImageInfoFree {
    void operator()(ImageInfo* info) const { MagickCore::DestroyImageInfo(info); }
};
struct ImageListFree {
    void operator()(MagickCore::Image* image) const { MagickCore::DestroyImageList(image); }
};

using ImageInfoPtr = std::unique_ptr<ImageInfo, ImageInfoFree>;
using ImageListPtr = std::unique_ptr<MagickCore::Image, ImageListFree>;

// Reading settings that never name a file: the coder is fixed, so
// ImageMagick neither looks at a file name nor guesses from the content, and
// only the first frame is decoded.
ImageInfoPtr MakeReadInfo(const char* coder)
{
    ImageInfoPtr info(MagickCore::CloneImageInfo(nullptr));
    MagickCore::CopyMagickString(info->magick, coder, MaxTextExtent);
    info->scene = 0;
    info->number_scenes = 1;
    // Many writers fill a BMP's file size field wrongly; the pixels do not
    // depend on it.
    MagickCore::SetImageOption(info.get(), "bmp:ignore-filesize", "true");
    return info;
}

std::string ExceptionReason(const ExceptionInfo& exception)
{
    if (exception.reason == nullptr || *exception.reason == '\0')
        return "it cannot be decoded";
    return "it cannot be decoded (" + ShortMagickReason(exception.reason) + ")";
}

// libjpeg's notices about a stream that breaks a rule but decodes whole; its
// other warnings (premature end, corrupt data) mean pixels are missing.
bool IsHarmlessJpegNotice(const std::string& reason)
{
    for (const char* notice : {"Invalid SOS parameters for sequential JPEG", "Warning: unknown JFIF revision",
                               "Unknown Adobe color transform code", "Corrupt JPEG data: bad ICC marker"}) {
        if (reason.compare(0, std::strlen(notice), notice) == 0)
            return true;
    }
    return false;
}

// Whether one exception of a read that gave a picture says its pixels are
// damaged: any error (a wrong length, a strip that cannot be read, an early
// end), or a warning about the image data. Other warnings (odd metadata, an
// unknown tag, a profile dropped) are harmless notices.
bool SaysDamaged(MagickCore::ExceptionType severity, const char* reason)
{
    if (severity >= MagickCore::ErrorException)
        return true;
    return severity == MagickCore::CorruptImageWarning && reason != nullptr && !IsHarmlessJpegNotice(reason);
}

// The first damage that `exception` or its list of exceptions reports, or "".
std::string DamageOf(ExceptionInfo& exception)
{
    if (exception.exceptions != nullptr) {
        auto* list = static_cast<MagickCore::LinkedListInfo*>(exception.exceptions);
        MagickCore::ResetLinkedListIterator(list);
        while (const auto* each = static_cast<const ExceptionInfo*>(MagickCore::GetNextValueInLinkedList(list))) {
            if (SaysDamaged(each->severity, each->reason))
                return each->reason != nullptr ? ShortMagickReason(each->reason) : "it cannot be fully decoded";
        }
    }
    if (SaysDamaged(exception.severity, exception.reason))
        return exception.reason != nullptr ? ShortMagickReason(exception.reason) : "it cannot be fully decoded";
    return {};
}

// Errors that leave nothing usable even when a picture came back.
bool IsUnusable(const ExceptionInfo& exception)
{
    return exception.severity >= MagickCore::FatalErrorException ||
           exception.severity == MagickCore::ResourceLimitError;
}

bool TurnsAQuarter(MagickCore::OrientationType orientation)
{
    return orientation == MagickCore::LeftTopOrientation || orientation == MagickCore::RightTopOrientation ||
           orientation == MagickCore::RightBottomOrientation || orientation == MagickCore::LeftBottomOrientation;
}

bool DeclaredSizeFits(std::uint64_t width, std::uint64_t height)
{
    using MagickCore::GetMagickResourceLimit;
    return FitsPictureLimits(width, height) && width < GetMagickResourceLimit(MagickCore::WidthResource) &&
           height < GetMagickResourceLimit(MagickCore::HeightResource);
}

std::string TooLarge(std::uint64_t width, std::uint64_t height)
{
    return "the picture is too large (" + std::to_string(width) + " x " + std::to_string(height) + " pixels)";
}

bool DecodeCameraRaw(const std::uint8_t* data, std::size_t size, std::uint32_t minWidth, std::uint32_t minHeight,
                     DecodedPicture& picture)
{
    CameraRawPicture raw;
    std::string rawError;
    if (!DevelopCameraRaw(data, size, minWidth, minHeight, raw, rawError))
        return false;
    picture.image = Magick::Image(raw.width, raw.height, "RGB", Magick::ShortPixel, raw.rgb.get());
    picture.fullWidth = raw.fullWidth;
    picture.fullHeight = raw.fullHeight;
    picture.reduced = raw.width != raw.fullWidth || raw.height != raw.fullHeight;
    return true;
}

bool DecodeGreyAlphaTga(const std::uint8_t* data, std::size_t size, DecodedPicture& picture, std::string& error)
{
    GreyAlphaPicture tga;
    if (!ReadGreyAlphaTga(data, size, tga, error))
        return false;
    picture.image = Magick::Image(tga.width, tga.height, "RGBA", Magick::CharPixel, tga.rgba.data());
    picture.fullWidth = tga.width;
    picture.fullHeight = tga.height;
    picture.damage = tga.damage;
    return true;
}

// libjxl decodes; the picture then goes on as any other, profiles attached.
bool DecodeJpegXl(const std::uint8_t* data, std::size_t size, DecodedPicture& picture, std::string& error)
{
    JxlPicture jxl;
    if (!DecodeJxl(data, size, DeclaredSizeFits, jxl, error))
        return false;
    const char* map = jxl.grey ? (jxl.alpha ? "IA" : "I") : (jxl.alpha ? "RGBA" : "RGB");
    Magick::Image& image = picture.image;
    image = Magick::Image(jxl.width, jxl.height, map, jxl.bits == 16 ? Magick::ShortPixel : Magick::CharPixel,
                          jxl.samples.data());
    image.depth(jxl.bits);
    if (jxl.grey)
        MagickCore::SetImageColorspace(image.image(), MagickCore::GRAYColorspace);
    // Upright already; the EXIF block is told so when it is synchronised.
    image.orientation(MagickCore::TopLeftOrientation);
    if (!jxl.icc.empty())
        image.profile("icc", Magick::Blob(jxl.icc.data(), jxl.icc.size()));
    if (!jxl.exif.empty()) {
        // As JPEG's APP1 holds it, the form the writers expect.
        jxl.exif.insert(jxl.exif.begin(), {'E', 'x', 'i', 'f', 0, 0});
        image.profile("exif", Magick::Blob(jxl.exif.data(), jxl.exif.size()));
    }
    if (!jxl.xmp.empty())
        image.profile("xmp", Magick::Blob(jxl.xmp.data(), jxl.xmp.size()));
    picture.fullWidth = jxl.width;
    picture.fullHeight = jxl.height;
    return true;
}

bool DecodeWithMagick(const std::uint8_t* data, std::size_t size, const char* coder, std::uint32_t minWidth,
                      std::uint32_t minHeight, DecodedPicture& picture, std::string& error)
{
    const ExceptionPtr exception = AcquireException();

    ImageInfoPtr pingInfo = MakeReadInfo(coder);
    // ImageMagick 6's PNM reader leaks a 4 KiB buffer whenever a ping stops
    // at the scene limit, so a worker would grow with every PNM file. PNM
    // headers are cheap to walk, so that ping goes through every frame.
    if (std::strcmp(coder, "PNM") == 0)
        pingInfo->number_scenes = 0;
    ImageListPtr pinged(MagickCore::PingBlob(pingInfo.get(), data, size, exception.get()));
    if (!pinged || pinged->columns == 0 || pinged->rows == 0 || IsUnusable(*exception)) {
        error = ExceptionReason(*exception);
        return false;
    }
    const std::uint64_t declaredWidth = pinged->columns;
    const std::uint64_t declaredHeight = pinged->rows;
    pinged.reset();
    if (!DeclaredSizeFits(declaredWidth, declaredHeight)) {
        error = TooLarge(declaredWidth, declaredHeight);
        return false;
    }

    MagickCore::ClearMagickException(exception.get());
    ImageInfoPtr readInfo = MakeReadInfo(coder);
    if (minWidth > 0 && minHeight > 0) {
        // libjpeg picks the smallest of its scales that still covers this
        // size; square, so a quarter turn afterwards changes nothing.
        const std::uint32_t side = std::max(minWidth, minHeight);
        const std::string hint = std::to_string(side) + "x" + std::to_string(side);
        MagickCore::SetImageOption(readInfo.get(), "jpeg:size", hint.c_str());
    }
    ImageListPtr read(MagickCore::BlobToImage(readInfo.get(), data, size, exception.get()));
    // A reader that gives a picture has read what it could; one that cannot
    // use what it read gives none (or an empty one).
    if (!read || read->columns == 0 || read->rows == 0 || IsUnusable(*exception)) {
        error = ExceptionReason(*exception);
        return false;
    }
    picture.damage = DamageOf(*exception);
    if (picture.damage.empty())
        picture.damage = DamageOf(read->exception);
    // What the reader said stays behind here: a writer would throw it again.
    MagickCore::ClearMagickException(&read->exception);
    if (read->next != nullptr) {
        ImageListPtr rest(read->next);
        read->next = nullptr;
        rest->previous = nullptr;
    }
    const bool turned = TurnsAQuarter(read->orientation);
    picture.fullWidth = static_cast<std::uint32_t>(turned ? declaredHeight : declaredWidth);
    picture.fullHeight = static_cast<std::uint32_t>(turned ? declaredWidth : declaredHeight);
    picture.reduced = read->columns != declaredWidth || read->rows != declaredHeight;
    picture.image = Magick::Image(read.release());
    return true;
}

// Upright, so every output looks as the input does in a viewer, and in a
// colour space every encoder and the preview understand.
void Normalise(Magick::Image& image)
{
    image.quiet(true);
    const MagickCore::OrientationType stored = image.orientation();
    image.autoOrient();
    // Turning keeps the page geometry of the stored picture, which for some
    // orientations lies at negative offsets that writers refuse (TIFF).
    if (stored != MagickCore::UndefinedOrientation && stored != MagickCore::TopLeftOrientation)
        image.page(Magick::Geometry(0, 0, 0, 0));
    // The EXIF block travels into the outputs; it must not turn them again.
    MagickCore::SyncImageProfiles(image.image());
    ApplyInputProfile(image);
    // Linear data (a PNG with gamma 1.0, CMYK, YCbCr, Lab) is encoded as
    // sRGB, so it looks the same and no writer converts it on its own.
    switch (image.colorSpace()) {
    case MagickCore::sRGBColorspace:
    case MagickCore::GRAYColorspace:
    case MagickCore::UndefinedColorspace:
        break;
    case MagickCore::LinearGRAYColorspace:
        image.colorSpace(MagickCore::GRAYColorspace);
        break;
    default:
        image.colorSpace(MagickCore::sRGBColorspace);
        break;
    }
}

bool Decode(const std::uint8_t* data, std::size_t size, std::uint32_t typeHint, std::uint32_t minWidth,
            std::uint32_t minHeight, DecodedPicture& picture, std::string& error)
{
    EnsureCodecReady();
    bool decoded = false;
    // Camera raw hides in TIFF containers and behind a .raw name; whatever
    // LibRaw does not know is tried as an ordinary picture.
    if (TriesCameraRawFirst(data, size, typeHint))
        decoded = DecodeCameraRaw(data, size, minWidth, minHeight, picture);
    const ReadableFormat* format = decoded ? nullptr : SniffReadableFormat(data, size, typeHint);
    if (format != nullptr && format->reader == PictureReader::Jxl) {
        if (!DecodeJpegXl(data, size, picture, error))
            return false;
    } else if (!decoded) {
        const char* coder = SniffPictureFormat(data, size, typeHint);
        if (coder == nullptr) {
            error = "it is not a picture format this program reads";
            return false;
        }
        if (!DeclaredSizeFitsFile(coder, data, size, error))
            return false;
        // ImageMagick 6 reads grey with alpha as 5-5-5 colour.
        const bool greyAlphaTga = std::strcmp(coder, "TGA") == 0 && IsGreyAlphaTga(data, size);
        if (greyAlphaTga ? !DecodeGreyAlphaTga(data, size, picture, error)
                         : !DecodeWithMagick(data, size, coder, minWidth, minHeight, picture, error))
            return false;
    }
    Normalise(picture.image);
    return true;
}

}  // namespace

bool DecodePicture(const std::uint8_t* data, std::size_t size, std::uint32_t typeHint, std::uint32_t minWidth,
                   std::uint32_t minHeight, DecodedPicture& picture, std::string& error)
{
    picture = DecodedPicture{};
    if (GuardedStep(error, "it cannot be decoded",
                    [&] { return Decode(data, size, typeHint, minWidth, minHeight, picture, error); }))
        return true;
    picture = DecodedPicture{};
    return false;
}
