#include "PictureEncoder.h"

#include "GifPalette.h"
#include "MagickReason.h"
#include "OutputFormat.h"

#include <exception>
#include <list>
#include <new>

namespace {

// Bands of rows sampled to judge how a picture compresses.
constexpr std::size_t kSampleBands = 16;
constexpr std::size_t kSampleBandRows = 8;
// Below this many pixels ImageMagick's own PNG settings cost little.
constexpr std::uint64_t kPngProbeMinPixels = 512 * 512;
// Sampled bytes per raw byte at or above which a picture counts as a photo.
// Photos, scans and smooth renderings measure 0.17 to 0.55; screenshots,
// drawings and gradients 0.001 to 0.09.
constexpr double kPhotoRatio = 0.15;

void FlattenOntoWhite(Magick::Image& image)
{
    if (!image.matte())
        return;
    image.backgroundColor(Magick::Color("white"));
    image.alphaChannel(MagickCore::RemoveAlphaChannel);
}

bool IsGreyColourspace(const Magick::Image& image)
{
    return image.colorSpace() == MagickCore::GRAYColorspace;
}

void UseFastPngCompression(Magick::Image& image)
{
    image.defineValue("png", "compression-level", "1");
    image.defineValue("png", "compression-strategy", "3");  // Z_RLE
    image.defineValue("png", "compression-filter", "5");    // adaptive
}

// zlib at level 1 with run-length matching is 5 to 9 times faster than
// ImageMagick's level 7 on photos and within 4% of its size, but up to
// several times larger on drawings and gradients. A photo is told from a
// drawing by compressing sampled bands of rows that way.
bool IsPhotoLike(const Magick::Image& picture)
{
    const std::size_t width = picture.columns();
    const std::size_t height = picture.rows();
    if (picture.depth() > 8 || picture.classType() != MagickCore::DirectClass ||
        static_cast<std::uint64_t>(width) * height < kPngProbeMinPixels || height < kSampleBands * kSampleBandRows)
        return false;
    std::list<Magick::Image> bands;
    for (std::size_t band = 0; band < kSampleBands; ++band) {
        Magick::Image part(picture);
        const std::size_t top = (height - kSampleBandRows) * band / (kSampleBands - 1);
        part.crop(Magick::Geometry(width, kSampleBandRows, 0, static_cast<ssize_t>(top)));
        part.page(Magick::Geometry(0, 0, 0, 0));
        bands.push_back(part);
    }
    Magick::Image sample;
    Magick::appendImages(&sample, bands.begin(), bands.end(), true);
    sample.quiet(true);
    UseFastPngCompression(sample);
    sample.magick("PNG");
    Magick::Blob encoded;
    sample.write(&encoded);
    const double channels = (IsGreyColourspace(picture) ? 1.0 : 3.0) + (picture.matte() ? 1.0 : 0.0);
    const double rawBytes = static_cast<double>(sample.columns()) * static_cast<double>(sample.rows()) * channels;
    return static_cast<double>(encoded.length()) >= kPhotoRatio * rawBytes;
}

// Three factors of the JPEG this picture came from ("2x2,1x1,1x1"), or "".
std::string InputChromaSampling(const Magick::Image& image)
{
    const std::string sampling = image.attribute("jpeg:sampling-factor");
    std::size_t commas = 0;
    for (char c : sampling)
        commas += c == ',' ? 1 : 0;
    return commas == 2 ? sampling : std::string();
}

const char* PrepareForFormat(Magick::Image& work, std::uint32_t typeCode, const EncodeOptions& options)
{
    switch (typeCode) {
    case kTypeBmp:
        work.depth(8);
        return work.matte() ? "BMP" : "BMP3";
    case kTypeJpg: {
        FlattenOntoWhite(work);
        if (options.trueColour)
            work.type(MagickCore::TrueColorType);
        work.depth(8);
        work.quality(options.jpegQuality);
        // Re-encoding a JPEG at its own chroma sampling loses nothing more;
        // other pictures keep their full colour detail.
        const std::string sampling = InputChromaSampling(work);
        work.defineValue("jpeg", "sampling-factor", sampling.empty() ? "1x1,1x1,1x1" : sampling);
        // Optimised tables save 3% and double the time on large pictures.
        const bool small = static_cast<std::uint64_t>(work.columns()) * work.rows() <= kJpegOptimiseMaxPixels;
        work.defineValue("jpeg", "optimize-coding", small ? "true" : "false");
        return "JPEG";
    }
    case kTypeGif:
        work.depth(8);
        ReduceToGifPalette(work);
        return "GIF";
    case kTypePcx:
        work.depth(8);
        return "PCX";
    case kTypePng:
        if (IsPhotoLike(work))
            UseFastPngCompression(work);
        work.defineValue("png", "exclude-chunks", "date,tIME");
        return "PNG";
    case kTypeIco:
        if (work.columns() > 256 || work.rows() > 256)
            work.thumbnail(Magick::Geometry(256, 256));
        work.depth(8);
        return "ICO";
    case kTypeTif:
        work.compressType(MagickCore::NoCompression);
        return "TIFF";
    case kTypeTga:
        work.depth(8);
        work.compressType(MagickCore::NoCompression);
        return "TGA";
    case kTypeRaw:
        FlattenOntoWhite(work);
        if (work.colorSpace() != MagickCore::sRGBColorspace)
            work.colorSpace(MagickCore::sRGBColorspace);
        work.depth(8);
        return "RGB";
    default:
        return nullptr;
    }
}

bool Encode(const Magick::Image& picture, std::uint32_t typeCode, const EncodeOptions& options, Magick::Blob& encoded,
            std::string& error)
{
    if (!picture.isValid() || picture.columns() == 0 || picture.rows() == 0) {
        error = "there is no picture to save";
        return false;
    }
    Magick::Image work(picture);
    work.modifyImage();  // its own image; pixels are copied when first changed
    work.quiet(true);
    const char* coder = PrepareForFormat(work, typeCode, options);
    if (coder == nullptr) {
        error = "the output format is unknown";
        return false;
    }
    work.magick(coder);
    work.write(&encoded);
    if (encoded.length() == 0) {
        error = "the picture cannot be encoded";
        return false;
    }
    if (typeCode == kTypeRaw &&
        encoded.length() != static_cast<std::size_t>(work.columns()) * work.rows() * 3) {
        error = "the picture cannot be encoded as 8-bit RGB";
        return false;
    }
    return true;
}

}  // namespace

bool EncodePicture(const Magick::Image& picture, std::uint32_t typeCode, const EncodeOptions& options,
                   Magick::Blob& encoded, std::string& error)
{
    encoded = Magick::Blob();
    try {
        if (Encode(picture, typeCode, options, encoded, error))
            return true;
    } catch (const Magick::Exception& e) {
        error = "the picture cannot be encoded (" + ShortMagickReason(e.what()) + ")";
    } catch (const std::bad_alloc&) {
        error = "not enough memory";
    } catch (const std::exception& e) {
        error = std::string("the picture cannot be encoded (") + e.what() + ")";
    } catch (...) {
        error = "the picture cannot be encoded";
    }
    encoded = Magick::Blob();
    return false;
}
