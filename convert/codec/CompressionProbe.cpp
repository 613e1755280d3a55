#include "CompressionProbe.h"

#include <cstdint>
#include <list>

namespace {

constexpr std::size_t kSampleBands = 16;
constexpr std::size_t kSampleBandRows = 8;
constexpr std::uint64_t kMinPixels = 512 * 512;
constexpr double kPhotoRatio = 0.15;

}  // namespace

void UseFastPngCompression(Magick::Image& picture)
{
    picture.defineValue("png", "compression-level", "1");
    picture.defineValue("png", "compression-strategy", "3");  // Z_RLE
    picture.defineValue("png", "compression-filter", "5");    // adaptive
}

bool LooksLikePhoto(const Magick::Image& picture)
{
    const std::size_t width = picture.columns();
    const std::size_t height = picture.rows();
    if (picture.classType() != MagickCore::DirectClass || static_cast<std::uint64_t>(width) * height < kMinPixels ||
        height < kSampleBands * kSampleBandRows)
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
    const double channels =
        (picture.colorSpace() == MagickCore::GRAYColorspace ? 1.0 : 3.0) + (picture.matte() ? 1.0 : 0.0);
    const double bytesPerSample = picture.depth() > 8 ? 2.0 : 1.0;
    const double rawBytes =
        static_cast<double>(sample.columns()) * static_cast<double>(sample.rows()) * channels * bytesPerSample;
    return static_cast<double>(encoded.length()) >= kPhotoRatio * rawBytes;
}
