#include "PictureEncoder.h"

#include "ColourProfile.h"
#include "CompressionProbe.h"
#include "GifPalette.h"
#include "MagickReason.h"
#include "OutputFormat.h"
#include "TiffPadding.h"

#include <cstdint>
#include <vector>

namespace {

// Huffman tables optimised for the picture save 3% to 5% on photos and up
// to half on smooth drawings, and double the encoding time. Photos that came
// as JPEG and are large are written with the standard tables.
constexpr std::uint64_t kJpegStandardTablesMinPixels = 4'000'000;

bool CameFromJpeg(const Magick::Image& image)
{
    return !image.attribute("jpeg:sampling-factor").empty();
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

// ImageMagick leaves libtiff's alignment bytes unset (see TiffPaddingBytes);
// they are cleared so no leftover memory reaches the file.
void ClearTiffPadding(Magick::Blob& encoded)
{
    const auto* bytes = static_cast<const std::uint8_t*>(encoded.data());
    const std::vector<std::size_t> padding = TiffPaddingBytes(bytes, encoded.length());
    if (padding.empty())
        return;
    std::vector<std::uint8_t> cleared(bytes, bytes + encoded.length());
    for (const std::size_t at : padding)
        cleared[at] = 0;
    encoded.update(cleared.data(), cleared.size());
}

// ImageMagick's TIFF reader refuses a file smaller than 1/2.53 of one row of
// pixels (a guard against bombs), which a wide, flat picture compresses
// below; such a picture is stored uncompressed so every reader takes it.
bool CompressesPastTiffReaders(const Magick::Image& work, const Magick::Blob& encoded)
{
    const std::uint64_t samples = (work.colorSpace() == MagickCore::GRAYColorspace ? 1 : 3) + (work.matte() ? 1 : 0);
    const std::uint64_t rowBytes = std::uint64_t{work.columns()} * samples * (work.depth() > 8 ? 2 : 1);
    return work.compressType() != MagickCore::NoCompression && encoded.length() * 3 < rowBytes;
}

const char* PrepareForFormat(Magick::Image& work, std::uint32_t typeCode, const EncodeOptions& options)
{
    switch (typeCode) {
    case kTypeBmp:
        work.depth(8);
        return work.matte() ? "BMP" : "BMP3";
    case kTypeJpg: {
        FlattenOntoWhite(work);
        // Only the writer's choice: three channels even for grey pixels.
        if (options.trueColour)
            work.imageInfo()->type = MagickCore::TrueColorType;
        work.depth(8);
        work.quality(options.jpegQuality);
        // Re-encoding a JPEG at its own chroma sampling loses nothing more;
        // other pictures keep their full colour detail, as ImageMagick does
        // at this quality.
        const std::string sampling = InputChromaSampling(work);
        work.defineValue("jpeg", "sampling-factor", sampling.empty() ? "1x1,1x1,1x1" : sampling);
        const bool standardTables = CameFromJpeg(work) && static_cast<std::uint64_t>(work.columns()) * work.rows() >=
                                                              kJpegStandardTablesMinPixels;
        work.defineValue("jpeg", "optimize-coding", standardTables ? "false" : "true");
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
        // Sixteen-bit pictures always get ImageMagick's own settings: fast
        // zlib can make smooth ones several times larger.
        if (work.depth() <= 8 && LooksLikePhoto(work))
            UseFastPngCompression(work);
        work.defineValue("png", "exclude-chunks", "date,tIME");
        return "PNG";
    case kTypeIco:
        if (work.columns() > 256 || work.rows() > 256)
            work.thumbnail(Magick::Geometry(256, 256));
        work.depth(8);
        return "ICO";
    case kTypeTif:
        // Photos barely compress, so they are stored as they are, quickly;
        // drawings and screenshots shrink many times with Deflate, quickly too.
        work.compressType(CameFromJpeg(work) || LooksLikePhoto(work) ? MagickCore::NoCompression
                                                                      : MagickCore::ZipCompression);
        return "TIFF";
    case kTypeTga:
        work.depth(8);
        work.compressType(MagickCore::NoCompression);
        // The writer always stores the top row first but sets the header's
        // top-left origin bit only for this orientation; without it readers
        // that honour the bit show the picture upside down.
        work.orientation(MagickCore::TopLeftOrientation);
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
    // Only JPG, PNG and TIF carry a profile; the others get sRGB pixels.
    if (typeCode != kTypeJpg && typeCode != kTypePng && typeCode != kTypeTif)
        ConvertToSrgbForUntaggedFormat(work);
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
    if (typeCode == kTypeTif && CompressesPastTiffReaders(work, encoded)) {
        work.compressType(MagickCore::NoCompression);
        work.write(&encoded);
    }
    if (typeCode == kTypeTif)
        ClearTiffPadding(encoded);
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
    if (GuardedStep(error, "the picture cannot be encoded",
                    [&] { return Encode(picture, typeCode, options, encoded, error); }))
        return true;
    encoded = Magick::Blob();
    return false;
}

void FlattenOntoWhite(Magick::Image& image)
{
    if (!image.matte())
        return;
    image.backgroundColor(Magick::Color("white"));
    image.alphaChannel(MagickCore::RemoveAlphaChannel);
}
