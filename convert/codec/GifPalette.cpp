#include "GifPalette.h"

#include "MagickHandles.h"
#include "MagickReason.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <stdexcept>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace {

using MagickCore::IndexPacket;
using MagickCore::PixelPacket;
using MagickCore::Quantum;  // for QuantumRange

// Nearest-colour answers are cached per cell of 6 bits a channel.
constexpr int kCellBits = 6;
constexpr int kCellShift = MAGICKCORE_QUANTUM_DEPTH - kCellBits;
constexpr double kHalfRange = QuantumRange / 2.0;

// Throws what ImageMagick reported, such as "cache resources exhausted".
[[noreturn]] void ThrowReason(const MagickCore::ExceptionInfo& exception, const char* fallback)
{
    const bool reported = exception.reason != nullptr && *exception.reason != '\0';
    throw std::runtime_error(reported ? ShortMagickReason(exception.reason) : fallback);
}

double Clamp(double value)
{
    return std::clamp(value, 0.0, static_cast<double>(QuantumRange));
}

struct Colour {
    double red;
    double green;
    double blue;
};

std::uint64_t ExactKey(const PixelPacket& pixel)
{
    return static_cast<std::uint64_t>(pixel.red) << 32 | static_cast<std::uint64_t>(pixel.green) << 16 | pixel.blue;
}

// Sixteen-bit samples of 8-bit pictures are multiples of 257, and so would
// be every key; the standard hash leaves them as they are, and a table of 257
// buckets then puts every grey into one. Mixing the bits avoids that.
struct MixedHash {
    std::size_t operator()(std::uint64_t key) const
    {
        key *= 0x9E3779B97F4A7C15ull;
        return static_cast<std::size_t>(key ^ (key >> 29));
    }
};

class NearestColour {
public:
    explicit NearestColour(const std::vector<PixelPacket>& palette)
        : m_palette(palette), m_cache(std::size_t{1} << (3 * kCellBits), -1)
    {
        for (std::size_t i = 0; i < palette.size(); ++i)
            m_exact.emplace(ExactKey(palette[i]), static_cast<int>(i));
    }

    int Exact(const PixelPacket& pixel) const
    {
        const auto found = m_exact.find(ExactKey(pixel));
        return found == m_exact.end() ? -1 : found->second;
    }

    // The entry nearest to the centre of the colour's cell.
    int Near(const Colour& colour)
    {
        const auto cell = [](double value) { return static_cast<std::size_t>(Clamp(value)) >> kCellShift; };
        const std::size_t r = cell(colour.red);
        const std::size_t g = cell(colour.green);
        const std::size_t b = cell(colour.blue);
        int& cached = m_cache[(r << (2 * kCellBits)) | (g << kCellBits) | b];
        if (cached < 0)
            cached = Search(Centre(r), Centre(g), Centre(b));
        return cached;
    }

private:
    static double Centre(std::size_t cell)
    {
        return static_cast<double>((cell << kCellShift) + (std::size_t{1} << (kCellShift - 1)));
    }

    int Search(double red, double green, double blue) const
    {
        int best = 0;
        double bestDistance = std::numeric_limits<double>::max();
        for (std::size_t i = 0; i < m_palette.size(); ++i) {
            const double dr = red - m_palette[i].red;
            const double dg = green - m_palette[i].green;
            const double db = blue - m_palette[i].blue;
            const double distance = dr * dr + dg * dg + db * db;
            if (distance < bestDistance) {
                bestDistance = distance;
                best = static_cast<int>(i);
            }
        }
        return best;
    }

    const std::vector<PixelPacket>& m_palette;
    std::vector<int> m_cache;
    std::unordered_map<std::uint64_t, int, MixedHash> m_exact;
};

bool IsTransparent(const PixelPacket& pixel)
{
    return pixel.opacity >= kHalfRange;
}

// The picture's own colours when it has no more than `limit` opaque ones,
// otherwise nothing. Photos give up within their first few hundred pixels.
std::vector<PixelPacket> DistinctColours(const MagickCore::Image* image, bool transparency, std::size_t limit)
{
    std::vector<PixelPacket> colours;
    std::unordered_set<std::uint64_t, MixedHash> seen;
    const ExceptionPtr exception = AcquireException();
    for (std::ptrdiff_t y = 0; y < static_cast<std::ptrdiff_t>(image->rows); ++y) {
        const PixelPacket* pixels = MagickCore::GetVirtualPixels(image, 0, y, image->columns, 1, exception.get());
        if (pixels == nullptr)
            ThrowReason(*exception, "pixels not available");
        for (std::size_t x = 0; x < image->columns; ++x) {
            if (transparency && IsTransparent(pixels[x]))
                continue;
            if (seen.insert(ExactKey(pixels[x])).second) {
                if (colours.size() == limit)
                    return {};
                PixelPacket colour = pixels[x];
                colour.opacity = 0;
                colours.push_back(colour);
            }
        }
    }
    return colours;
}

// Classifying every pixel of a large picture costs seconds and gives
// practically the same colours as a sample of about a million of them.
constexpr double kPaletteSamplePixels = 1'000'000;

// The colours ImageMagick's colour tree picks for the opaque pixels.
std::vector<PixelPacket> TreePalette(const Magick::Image& picture, bool transparency)
{
    Magick::Image quantised(picture);
    quantised.modifyImage();
    const double pixels = static_cast<double>(picture.columns()) * static_cast<double>(picture.rows());
    if (pixels > kPaletteSamplePixels) {
        const double scale = std::sqrt(kPaletteSamplePixels / pixels);
        quantised.sample(Magick::Geometry(std::max<std::size_t>(1, static_cast<std::size_t>(picture.columns() * scale)),
                                          std::max<std::size_t>(1, static_cast<std::size_t>(picture.rows() * scale))));
    }
    if (transparency) {
        quantised.backgroundColor(Magick::Color("black"));
        quantised.alphaChannel(MagickCore::RemoveAlphaChannel);
    }
    quantised.quantizeColors(transparency ? 255 : 256);
    quantised.quantizeDither(false);
    quantised.quantize();
    const MagickCore::Image* image = quantised.constImage();
    if (image->storage_class != MagickCore::PseudoClass || image->colormap == nullptr || image->colors == 0)
        throw std::runtime_error("no palette");
    return std::vector<PixelPacket>(image->colormap, image->colormap + image->colors);
}

void Diffuse(MagickCore::Image* image, const std::vector<PixelPacket>& palette, bool transparency)
{
    const std::size_t colours = palette.size() + (transparency ? 1 : 0);
    if (MagickCore::AcquireImageColormap(image, colours) == MagickCore::MagickFalse)
        ThrowReason(image->exception, "no room for a palette");
    std::copy(palette.begin(), palette.end(), image->colormap);
    const int transparentIndex = static_cast<int>(palette.size());
    if (transparency) {
        PixelPacket& entry = image->colormap[transparentIndex];
        entry.red = entry.green = entry.blue = 0;
        entry.opacity = QuantumRange;
    }

    NearestColour nearest(palette);
    const auto width = static_cast<std::ptrdiff_t>(image->columns);
    // Errors of this row and the next, one spare cell at each end.
    std::vector<Colour> thisRow(static_cast<std::size_t>(width) + 2, Colour{0, 0, 0});
    std::vector<Colour> nextRow(thisRow.size(), Colour{0, 0, 0});
    const ExceptionPtr exception = AcquireException();
    for (std::ptrdiff_t y = 0; y < static_cast<std::ptrdiff_t>(image->rows); ++y) {
        PixelPacket* pixels = MagickCore::GetAuthenticPixels(image, 0, y, image->columns, 1, exception.get());
        IndexPacket* indexes = MagickCore::GetAuthenticIndexQueue(image);
        if (pixels == nullptr || indexes == nullptr)
            ThrowReason(*exception, "pixels not available");
        // Serpentine: every other row right to left, so errors do not drift one way.
        const bool forward = y % 2 == 0;
        const std::ptrdiff_t step = forward ? 1 : -1;
        std::fill(nextRow.begin(), nextRow.end(), Colour{0, 0, 0});
        for (std::ptrdiff_t i = 0; i < width; ++i) {
            const std::ptrdiff_t x = forward ? i : width - 1 - i;
            PixelPacket& pixel = pixels[x];
            int index = -1;
            if (transparency && IsTransparent(pixel)) {
                index = transparentIndex;
            } else {
                const Colour& error = thisRow[static_cast<std::size_t>(x + 1)];
                // Clamped before the error is measured, or errors pile up at
                // the ends of the range and show as blotches.
                const Colour wanted{Clamp(pixel.red + error.red), Clamp(pixel.green + error.green),
                                    Clamp(pixel.blue + error.blue)};
                index = error.red == 0 && error.green == 0 && error.blue == 0 ? nearest.Exact(pixel) : -1;
                if (index < 0)
                    index = nearest.Near(wanted);
                const PixelPacket& chosen = palette[static_cast<std::size_t>(index)];
                const Colour left{wanted.red - chosen.red, wanted.green - chosen.green, wanted.blue - chosen.blue};
                auto spread = [&](std::vector<Colour>& row, std::ptrdiff_t at, double share) {
                    Colour& cell = row[static_cast<std::size_t>(at + 1)];
                    cell.red += left.red * share;
                    cell.green += left.green * share;
                    cell.blue += left.blue * share;
                };
                spread(thisRow, x + step, 7.0 / 16);
                spread(nextRow, x - step, 3.0 / 16);
                spread(nextRow, x, 5.0 / 16);
                spread(nextRow, x + step, 1.0 / 16);
            }
            pixel = image->colormap[index];
            indexes[x] = static_cast<IndexPacket>(index);
        }
        if (MagickCore::SyncAuthenticPixels(image, exception.get()) == MagickCore::MagickFalse)
            ThrowReason(*exception, "pixels not stored");
        thisRow.swap(nextRow);
    }
}

// The GIF writer turns any other colour space into sRGB itself, which
// loses the palette, and then reduces the colours again its own way. Grey
// (which quantising also produces) is stored as equal red, green and blue,
// so it only needs relabelling.
void MakeSrgb(Magick::Image& picture)
{
    if (picture.colorSpace() == MagickCore::GRAYColorspace)
        MagickCore::SetImageColorspace(picture.image(), MagickCore::sRGBColorspace);
    else if (picture.colorSpace() != MagickCore::sRGBColorspace)
        picture.colorSpace(MagickCore::sRGBColorspace);
}

}  // namespace

void ReduceToGifPalette(Magick::Image& picture)
{
    picture.modifyImage();
    MakeSrgb(picture);
    const MagickCore::Image* source = picture.constImage();
    if (source->storage_class == MagickCore::PseudoClass && source->colors <= 256)
        return;
    const bool transparency = picture.matte() && !picture.isOpaque();
    if (picture.matte() && !transparency)
        picture.matte(false);

    std::vector<PixelPacket> palette = DistinctColours(picture.constImage(), transparency, transparency ? 255 : 256);
    if (palette.empty())
        palette = TreePalette(picture, transparency);
    Diffuse(picture.image(), palette, transparency);
}
