#include "FormatSniffer.h"
#include "MagickPolicy.h"
#include "OutputFormat.h"

#include <gtest/gtest.h>

#include <fstream>
#include <ostream>
#include <set>
#include <sstream>
#include <string>

namespace {

struct SniffCase {
    const char* name;
    std::string bytes;
    std::uint32_t hint;
    const char* coder;  // nullptr: refused
};

void PrintTo(const SniffCase& c, std::ostream* os)
{
    *os << c.name;
}

std::string Padded(std::string head, std::size_t size = 160)
{
    head.resize(size, '\0');
    return head;
}

std::string IconHeader(char kind, char count)
{
    std::string bytes = Padded(std::string("\0\0", 2) + kind + '\0' + count + '\0');
    bytes[6 + 12] = 22;  // first image right after one directory entry
    return bytes;
}

class SniffPictureFormatTest : public testing::TestWithParam<SniffCase> {};

TEST_P(SniffPictureFormatTest, NamesOnlyRasterCoders)
{
    const SniffCase& c = GetParam();
    const char* coder = SniffPictureFormat(reinterpret_cast<const std::uint8_t*>(c.bytes.data()), c.bytes.size(), c.hint);
    if (c.coder == nullptr)
        EXPECT_EQ(coder, nullptr) << coder;
    else
        EXPECT_STREQ(coder, c.coder);
}

INSTANTIATE_TEST_SUITE_P(Signatures, SniffPictureFormatTest, testing::Values(
    SniffCase{"png", Padded("\x89PNG\r\n\x1a\n"), kTypeJpg, "PNG"},
    SniffCase{"jpeg", Padded("\xFF\xD8\xFF\xE0"), kTypeUnknown, "JPEG"},
    SniffCase{"gif", Padded("GIF89a"), kTypeUnknown, "GIF"},
    SniffCase{"tiff little-endian", Padded(std::string("II*\0", 4)), kTypeUnknown, "TIFF"},
    SniffCase{"tiff big-endian", Padded(std::string("MM\0*", 4)), kTypeUnknown, "TIFF"},
    SniffCase{"bmp", Padded(std::string("BM") + std::string(12, '\0') + "\x28"), kTypeUnknown, "BMP"},
    SniffCase{"os/2 bmp with a 16-byte header", Padded(std::string("BM") + std::string(12, '\0') + "\x10"), kTypeUnknown,
              "BMP"},
    SniffCase{"text starting with BM", Padded("BMW owners' club minutes, page 1 of 3"), kTypeBmp, nullptr},
    SniffCase{"webp", Padded(std::string("RIFF\x10\0\0\0WEBPVP8 ", 16)), kTypeUnknown, "WEBP"},
    SniffCase{"icon", IconHeader('\1', '\1'), kTypeIco, "ICO"},
    SniffCase{"cursor", IconHeader('\2', '\1'), kTypeUnknown, "CUR"},
    SniffCase{"icon without images", IconHeader('\1', '\0'), kTypeIco, nullptr},
    SniffCase{"pcx", Padded("\x0A\x05\x01\x08"), kTypePcx, "PCX"},
    SniffCase{"ppm", Padded("P6\n32 32\n255\n"), kTypeUnknown, "PNM"},
    SniffCase{"heic", Padded(std::string("\0\0\0\x18" "ftypheic\0\0\0\0mif1heic", 24)), kTypeUnknown, "HEIC"},
    SniffCase{"tga when expected", Padded(std::string("\0\0\2\0\0\0\0\0", 8)), kTypeTga, "TGA"},
    SniffCase{"tga-like bytes otherwise", Padded(std::string("\0\0\2\0\0\0\0\0", 8)), kTypeUnknown, nullptr},
    SniffCase{"svg", Padded("<svg xmlns=\"http://www.w3.org/2000/svg\">"), kTypePng, nullptr},
    SniffCase{"xml", Padded("<?xml version=\"1.0\"?><svg/>"), kTypeUnknown, nullptr},
    SniffCase{"mvg", Padded("push graphic-context\nviewbox 0 0 640 480\nimage over 0,0 0,0 'label:@/etc/passwd'"),
              kTypePng, nullptr},
    SniffCase{"msl", Padded("<?xml version=\"1.0\"?><image><read filename=\"/etc/passwd\"/></image>"),
              kTypeUnknown, nullptr},
    SniffCase{"postscript", Padded("%!PS-Adobe-3.0"), kTypeUnknown, nullptr},
    SniffCase{"pdf", Padded("%PDF-1.7"), kTypeUnknown, nullptr},
    SniffCase{"plain text", Padded("hello, picture"), kTypeRaw, nullptr},
    SniffCase{"too short for any signature", std::string("\x89P"), kTypePng, nullptr}));

TEST(ReadableFormatsTest, ReadmeListsTheTableOfReadableFormats)
{
    std::ifstream file(TESSAGLYPH_SOURCE_DIR "/README.md");
    std::stringstream readme;
    readme << file.rdbuf();
    EXPECT_NE(readme.str().find(ReadmeFormatTable()), std::string::npos)
        << "README.md's table of readable formats is out of step; it should read:\n" << ReadmeFormatTable();
}

// The desktop entry's MimeType line is made from the list in
// cmake/Install.cmake, which must name exactly the table's types.
TEST(ReadableFormatsTest, DesktopEntryDeclaresTheTablesMimeTypes)
{
    std::ifstream file(TESSAGLYPH_SOURCE_DIR "/cmake/Install.cmake");
    std::stringstream text;
    text << file.rdbuf();
    const std::string cmake = text.str();
    const std::size_t start = cmake.find("set(TESSAGLYPH_PICTURE_MIME_TYPES");
    ASSERT_NE(start, std::string::npos);
    std::stringstream list(cmake.substr(start, cmake.find(')', start) - start));
    std::set<std::string> declared;
    for (std::string word; list >> word;) {
        if (word.rfind("image/", 0) == 0)
            declared.insert(word);
    }
    std::set<std::string> read;
    for (const ReadableFormat& format : ReadableFormats())
        read.insert(format.mimeTypes.begin(), format.mimeTypes.end());
    EXPECT_EQ(declared, read);
}

}  // namespace
