#include "ImageCodec.h"

#include "CodecEnvironment.h"
#include "FileIo.h"
#include "FormatSniffer.h"
#include "MagickHandles.h"
#include "MagickReason.h"
#include "Naming.h"
#include "PictureDecoder.h"
#include "PictureEncoder.h"
#include "PictureOptions.h"

#include <Magick++.h>

#include <algorithm>

struct ImageCodec::Impl {
    Magick::Image picture;
    std::uint32_t fullWidth = 0;
    std::uint32_t fullHeight = 0;
    bool reduced = false;
    bool loaded = false;
    std::string damage;
    EncodeOptions encode;
    std::string lastError;

    bool Fail(const std::string& reason)
    {
        lastError = reason;
        return false;
    }
    void Clear()
    {
        picture = Magick::Image();
        fullWidth = 0;
        fullHeight = 0;
        reduced = false;
        loaded = false;
        damage.clear();
        encode.trueColour = false;
        encode.options = ConversionOptions();
        encode.asDecoded = true;
    }
    bool Load(const std::string& path, std::uint32_t type, std::uint32_t minWidth, std::uint32_t minHeight);
};


bool ImageCodec::Impl::Load(const std::string& path, std::uint32_t type, std::uint32_t minWidth,
                            std::uint32_t minHeight)
{
    Clear();
    lastError.clear();
    if (path.empty())
        return Fail("no file was given");
    std::vector<std::uint8_t> bytes;
    // The first bytes decide whether the rest is worth reading at all.
    if (!ReadFileHead(path, kMaxInputFileBytes, kSignatureBytes, bytes, lastError))
        return false;
    if (!TriesCameraRawFirst(bytes.data(), bytes.size(), type) &&
        SniffReadableFormat(bytes.data(), bytes.size(), type) == nullptr)
        return Fail("it is not a picture format this program reads");
    if (!ReadFileBytes(path, kMaxInputFileBytes, bytes, lastError))
        return false;
    DecodedPicture decoded;
    if (!DecodePicture(bytes.data(), bytes.size(), type, minWidth, minHeight, decoded, lastError))
        return false;
    picture = decoded.image;
    fullWidth = decoded.fullWidth;
    fullHeight = decoded.fullHeight;
    reduced = decoded.reduced;
    damage = decoded.damage;
    loaded = true;
    return true;
}

ImageCodec::ImageCodec() : m_pImpl(std::make_unique<Impl>()) {}

ImageCodec::ImageCodec(const std::string& path, std::uint32_t type) : m_pImpl(std::make_unique<Impl>())
{
    Load(path, type);
}

ImageCodec::~ImageCodec() = default;

// The source is left empty but usable.
ImageCodec::ImageCodec(ImageCodec&& other) : m_pImpl(std::make_unique<Impl>())
{
    m_pImpl.swap(other.m_pImpl);
}

ImageCodec& ImageCodec::operator=(ImageCodec&& other)
{
    if (this != &other) {
        m_pImpl.swap(other.m_pImpl);
        other.m_pImpl->Clear();
        other.m_pImpl->lastError.clear();
    }
    return *this;
}

bool ImageCodec::Load(const std::string& path, std::uint32_t type)
{
    return m_pImpl->Load(path, type, 0, 0);
}

bool ImageCodec::LoadForDrawing(const std::string& path, std::uint32_t type, std::uint32_t drawWidth,
                                std::uint32_t drawHeight)
{
    return m_pImpl->Load(path, type, std::max(drawWidth, 1u), std::max(drawHeight, 1u));
}

bool ImageCodec::IsValid() const
{
    return m_pImpl->loaded;
}

std::uint32_t ImageCodec::GetWidth() const
{
    return IsValid() ? m_pImpl->fullWidth : 0;
}

std::uint32_t ImageCodec::GetHeight() const
{
    return IsValid() ? m_pImpl->fullHeight : 0;
}

bool ImageCodec::IsGrayScale() const
{
    if (!IsValid())
        return false;
    std::string ignored;
    return GuardedStep(ignored, "", [&] {
        if (m_pImpl->picture.colorSpace() == MagickCore::GRAYColorspace)
            return true;
        const ExceptionPtr exception = AcquireException();
        const MagickCore::Image* image = m_pImpl->picture.constImage();
        return MagickCore::IdentifyImageGray(image, exception.get()) != MagickCore::UndefinedType;
    });
}

bool ImageCodec::IncreaseBpp(std::uint32_t bits)
{
    if (!IsValid())
        return m_pImpl->Fail("there is no picture");
    if (bits != 24)
        return m_pImpl->Fail("only 24 bits per pixel is supported");
    m_pImpl->lastError.clear();
    Magick::Image& picture = m_pImpl->picture;
    const bool done = GuardedStep(m_pImpl->lastError, "the picture cannot be converted", [&] {
        picture.modifyImage();
        FlattenOntoWhite(picture);
        if (picture.colorSpace() != MagickCore::sRGBColorspace)
            picture.colorSpace(MagickCore::sRGBColorspace);
        picture.classType(MagickCore::DirectClass);
        return true;
    });
    m_pImpl->encode.trueColour = m_pImpl->encode.trueColour || done;
    return done;
}

void ImageCodec::SetJpegQuality(std::uint8_t quality)
{
    m_pImpl->encode.jpegQuality = std::clamp<std::uint8_t>(quality, 1, 100);
}

bool ImageCodec::ApplyOptions(const ConversionOptions& options)
{
    if (!IsValid())
        return m_pImpl->Fail("there is no picture");
    if (m_pImpl->reduced)
        return m_pImpl->Fail("the picture was loaded at reduced size for drawing");
    m_pImpl->lastError.clear();
    Magick::Image changed(m_pImpl->picture);
    bool resized = false;
    bool thinned = false;
    const bool done = GuardedStep(m_pImpl->lastError, "the picture cannot be resized", [&] {
        if (!ResizeForOptions(changed, options, resized, m_pImpl->lastError))
            return false;
        thinned = ApplyMetadataOptions(changed, options);
        return true;
    });
    if (!done)
        return false;
    m_pImpl->picture = changed;
    if (resized) {
        m_pImpl->fullWidth = static_cast<std::uint32_t>(changed.columns());
        m_pImpl->fullHeight = static_cast<std::uint32_t>(changed.rows());
    }
    m_pImpl->encode.options = options;
    m_pImpl->encode.asDecoded = m_pImpl->encode.asDecoded && !resized && !thinned;
    return true;
}

bool ImageCodec::Save(const std::string& path, std::uint32_t type)
{
    std::string writtenPath;
    bool skipped = false;
    return SaveWith(ExistingFiles::Replace, path, type, writtenPath, skipped);
}

bool ImageCodec::SaveAsOptionsSay(const std::string& path, std::uint32_t type, std::string& writtenPath,
                                  bool& skipped)
{
    return SaveWith(m_pImpl->encode.options.ifExists, path, type, writtenPath, skipped);
}

bool ImageCodec::SaveWith(ExistingFiles policy, const std::string& path, std::uint32_t type, std::string& writtenPath,
                          bool& skipped)
{
    skipped = false;
    writtenPath.clear();
    if (!IsValid())
        return m_pImpl->Fail("there is no picture to save");
    if (m_pImpl->reduced)
        return m_pImpl->Fail("the picture was loaded at reduced size for drawing");
    if (path.empty())
        return m_pImpl->Fail("no file was given");
    m_pImpl->lastError.clear();
    Magick::Blob encoded;
    if (!EncodePicture(m_pImpl->picture, type, m_pImpl->encode, encoded, m_pImpl->lastError))
        return false;
    if (policy == ExistingFiles::Replace) {
        writtenPath = path;
        return WriteFileAtomically(path, encoded.data(), encoded.length(), m_pImpl->lastError);
    }
    // Enough numbers for any folder a person keeps; past them the name is taken.
    constexpr unsigned kMostNumbers = 10000;
    const NewFileOutcome outcome = WriteNewFile([&](unsigned n) { return NumberedPath(path, n); },
                                                policy == ExistingFiles::Rename ? kMostNumbers : 1, encoded.data(),
                                                encoded.length(), writtenPath, m_pImpl->lastError);
    if (outcome == NewFileOutcome::Written)
        return true;
    writtenPath.clear();
    if (outcome == NewFileOutcome::Exists && policy == ExistingFiles::Skip) {
        skipped = true;
        return false;
    }
    if (outcome == NewFileOutcome::Exists)
        m_pImpl->lastError = "every numbered name up to " + std::to_string(kMostNumbers) + " is taken";
    return false;
}

bool ImageCodec::Draw(std::uint32_t width, std::uint32_t height, std::vector<std::uint8_t>& rgba) const
{
    rgba.clear();
    if (!IsValid())
        return m_pImpl->Fail("there is no picture to draw");
    if (width == 0 || height == 0)
        return m_pImpl->Fail("the drawing area is empty");
    if (!FitsPictureLimits(width, height))
        return m_pImpl->Fail("the drawing area is too large");
    m_pImpl->lastError.clear();
    const bool drawn = GuardedStep(m_pImpl->lastError, "the picture cannot be drawn", [&] {
        Magick::Image scaled(m_pImpl->picture);
        scaled.modifyImage();
        scaled.quiet(true);
        // Area averaging first when shrinking a lot: fast, and nothing is
        // lost that the final filtered resize would keep.
        if (scaled.columns() > 2 * static_cast<std::size_t>(width) &&
            scaled.rows() > 2 * static_cast<std::size_t>(height)) {
            Magick::Geometry twice(2 * width, 2 * height);
            twice.aspect(true);
            scaled.scale(twice);
        }
        Magick::Geometry exact(width, height);
        exact.aspect(true);
        scaled.resize(exact);
        if (scaled.colorSpace() != MagickCore::sRGBColorspace)
            scaled.colorSpace(MagickCore::sRGBColorspace);
        const std::size_t pixels = static_cast<std::size_t>(width) * height;
        rgba.resize(pixels * 4);
        if (scaled.matte()) {
            scaled.write(0, 0, width, height, "RGBA", Magick::CharPixel, rgba.data());
            return true;
        }
        // Without transparency the alpha channel after scaling is not
        // reliably opaque; fill it in ourselves.
        std::vector<std::uint8_t> rgb(pixels * 3);
        scaled.write(0, 0, width, height, "RGB", Magick::CharPixel, rgb.data());
        for (std::size_t i = 0; i < pixels; ++i) {
            rgba[4 * i] = rgb[3 * i];
            rgba[4 * i + 1] = rgb[3 * i + 1];
            rgba[4 * i + 2] = rgb[3 * i + 2];
            rgba[4 * i + 3] = 255;
        }
        return true;
    });
    if (!drawn)
        rgba.clear();
    return drawn;
}

ImageCodec ImageCodec::Clone() const
{
    return CopyPicture(false);
}

ImageCodec ImageCodec::DeepClone() const
{
    return CopyPicture(true);
}

ImageCodec ImageCodec::CopyPicture(bool ownPixelsNow) const
{
    ImageCodec copy;
    if (!IsValid())
        return copy;
    const bool copied = GuardedStep(copy.m_pImpl->lastError, "the picture cannot be copied", [&] {
        Magick::Image pixels(m_pImpl->picture);
        pixels.modifyImage();  // its own image; the pixel cache is shared
        bool touched = true;
        if (ownPixelsNow) {
            // Touching a pixel makes ImageMagick copy the shared pixel cache
            // now, in this thread, rather than whenever the copy first changes.
            const ExceptionPtr exception = AcquireException();
            touched = MagickCore::GetAuthenticPixels(pixels.image(), 0, 0, 1, 1, exception.get()) != nullptr &&
                      MagickCore::SyncAuthenticPixels(pixels.image(), exception.get()) != MagickCore::MagickFalse;
        }
        copy.m_pImpl->picture = pixels;
        return touched;
    });
    if (copied) {
        copy.m_pImpl->fullWidth = m_pImpl->fullWidth;
        copy.m_pImpl->fullHeight = m_pImpl->fullHeight;
        copy.m_pImpl->reduced = m_pImpl->reduced;
        copy.m_pImpl->damage = m_pImpl->damage;
        copy.m_pImpl->encode = m_pImpl->encode;
        copy.m_pImpl->loaded = true;
    } else {
        copy.m_pImpl->Clear();
    }
    return copy;
}

bool ImageCodec::Destroy()
{
    m_pImpl->Clear();
    return true;
}

const std::string& ImageCodec::GetDamage() const
{
    return m_pImpl->damage;
}

const std::string& ImageCodec::GetLastError() const
{
    return m_pImpl->lastError;
}
