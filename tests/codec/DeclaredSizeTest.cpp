#include "DeclaredSize.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

std::string Be32(std::uint32_t v)
{
    return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}

std::string Le16(std::uint32_t v)
{
    return {char(v), char(v >> 8)};
}

std::string Le32(std::uint32_t v)
{
    return Le16(v) + Le16(v >> 16);
}

std::string Sized(std::string head, std::size_t size)
{
    head.resize(size, '\0');
    return head;
}

std::string Png(std::uint32_t w, std::uint32_t h)
{
    return std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16) + Be32(w) + Be32(h) + std::string("\x08\x02\0\0\0", 5);
}

std::string Bmp(std::uint32_t w, std::uint32_t h, std::uint32_t compression)
{
    return "BM" + Le32(0) + Le32(0) + Le32(62) + Le32(40) + Le32(w) + Le32(h) + Le16(1) + Le16(8) + Le32(compression);
}

std::string Jpeg(char frameMarker, std::uint32_t w, std::uint32_t h)
{
    const std::string app0 = std::string("\xFF\xE0\0\x10JFIF\0\x01\x01\0\0\x01\0\x01\0\0", 18);
    return std::string("\xFF\xD8", 2) + app0 + '\xFF' + frameMarker + std::string("\0\x0b\x08", 3) +
           char(h >> 8) + char(h) + char(w >> 8) + char(w) + std::string("\x01\x01\x11\0", 4);
}

std::string Tiff(std::uint32_t w, std::uint32_t h, std::uint32_t compression)
{
    auto entry = [](std::uint32_t tag, std::uint32_t value) { return Le16(tag) + Le16(4) + Le32(1) + Le32(value); };
    return std::string("II*\0", 4) + Le32(8) + Le16(3) + entry(256, w) + entry(257, h) + entry(259, compression) +
           Le32(0);
}

struct SizeCase {
    const char* name;
    const char* coder;
    std::string bytes;
    bool fits;
};

void PrintTo(const SizeCase& c, std::ostream* os)
{
    *os << c.name;
}

class DeclaredSizeTest : public testing::TestWithParam<SizeCase> {};

TEST_P(DeclaredSizeTest, RefusesFilesTooShortForTheirPicture)
{
    const SizeCase& c = GetParam();
    std::string error;
    const bool fits = DeclaredSizeFitsFile(c.coder, reinterpret_cast<const std::uint8_t*>(c.bytes.data()),
                                           c.bytes.size(), error);
    EXPECT_EQ(fits, c.fits) << error;
    EXPECT_EQ(error.empty(), c.fits) << error;
}

const std::string kGifScreen = std::string("GIF89a", 6) + Le16(14000) + Le16(14000) + std::string("\x80\0\0", 3) +
                               std::string(6, '\0') + std::string("!\xF9\x04\0\0\0\0\0", 8);

INSTANTIATE_TEST_SUITE_P(Ceilings, DeclaredSizeTest, testing::Values(
    SizeCase{"png 65535x3000 in 88 bytes", "PNG", Sized(Png(65535, 3000), 88), false},
    SizeCase{"png 14000x14000 of zeros deflated whole", "PNG", Sized(Png(14000, 14000), 190591), true},
    SizeCase{"png of 4 megapixels in 100 bytes", "PNG", Sized(Png(2000, 2000), 100), true},
    SizeCase{"gif 14000x14000 in 41 bytes", "GIF",
             Sized(kGifScreen + "," + Le32(0) + Le16(14000) + Le16(14000) + '\0', 41), false},
    SizeCase{"rle bmp 14000x14000 in 1 KB", "BMP", Sized(Bmp(14000, 14000, 1), 1024), false},
    SizeCase{"rle bmp 4000x4000 in 128 KB", "BMP", Sized(Bmp(4000, 4000, 1), 128 << 10), true},
    SizeCase{"icon holding a png 14000x14000 in 156 bytes", "ICO",
             Sized(std::string("\0\0\1\0\1\0", 6) + Sized("", 8) + Le32(134) + Le32(22) + Png(14000, 14000), 156),
             false},
    SizeCase{"jpeg 14000x14000 in 204 bytes", "JPEG", Sized(Jpeg('\xC0', 14000, 14000), 204), false},
    SizeCase{"progressive jpeg 14000x14000 in 400 KB", "JPEG", Sized(Jpeg('\xC2', 14000, 14000), 400 << 10), true},
    SizeCase{"arithmetic jpeg: no bound known", "JPEG", Sized(Jpeg('\xC9', 14000, 14000), 204), true},
    SizeCase{"tiff 14000x14000 uncompressed in 138 bytes", "TIFF", Sized(Tiff(14000, 14000, 1), 138), false},
    SizeCase{"tiff group 4 14000x14000, a bit a row", "TIFF", Sized(Tiff(14000, 14000, 4), 1750), true},
    SizeCase{"webp: no bound known", "WEBP", Sized("RIFF", 40), true}));

}  // namespace
