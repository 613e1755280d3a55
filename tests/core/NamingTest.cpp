#include "Naming.h"
#include "OutputFormat.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

struct TypeCase {
    const char* path;
    std::uint32_t type;
};

void PrintTo(const TypeCase& c, std::ostream* os)
{
    *os << '"' << c.path << "\" -> " << c.type;
}

class TypeFromPathTest : public testing::TestWithParam<TypeCase> {};

TEST_P(TypeFromPathTest, ReadsTheLastThreeCharactersIgnoringCase)
{
    EXPECT_EQ(TypeFromPath(GetParam().path), GetParam().type) << GetParam().path;
}

INSTANTIATE_TEST_SUITE_P(Paths, TypeFromPathTest, testing::Values(
    TypeCase{"/pics/photo.jpg", kTypeJpg}, TypeCase{"photo.JPG", kTypeJpg},
    TypeCase{"photo.Jpg", kTypeJpg}, TypeCase{"a.jpeg", kTypeUnknown},
    TypeCase{"a.tiff", kTypeUnknown}, TypeCase{"xbmp", kTypeBmp},
    TypeCase{"", kTypeUnknown}, TypeCase{"m", kTypeUnknown}, TypeCase{"mp", kTypeUnknown},
    TypeCase{"gif", kTypeGif}, TypeCase{"shot.raw", kTypeRaw}, TypeCase{"a.pcx", kTypePcx},
    TypeCase{"a.png", kTypePng}, TypeCase{"a.ico", kTypeIco}, TypeCase{"a.tif", kTypeTif},
    TypeCase{"a.TGA", kTypeTga}, TypeCase{"a.bmp\xc3\xa9", kTypeUnknown}));

TEST(OutputFormatTable, KeepsTheFixedRowOrderAndLookups)
{
    std::string order;
    for (const OutputFormat& format : OutputFormats())
        order += format.label;
    EXPECT_EQ(order, "bmpjpggifpcxpngicotiftgaraw");

    for (const OutputFormat& format : OutputFormats()) {
        EXPECT_EQ(TypeFromPath(std::string("x") + format.extension), format.typeCode);
        EXPECT_EQ(FormatByCheckId(format.checkId), &format);
        EXPECT_EQ(FormatByTypeCode(format.typeCode), &format);
        EXPECT_EQ(std::string("b") + format.label, format.settingsKey);
    }
    EXPECT_EQ(FormatByCheckId(1010), nullptr);
    EXPECT_EQ(FormatByTypeCode(kTypeUnknown), nullptr);
}

TEST(OutputFormatTable, ComboIndexOutsideOneToEightGivesBmp)
{
    for (int index : {-1, 0, 9, 100, -100})
        EXPECT_STREQ(FormatByComboIndex(index).extension, ".bmp") << index;
    EXPECT_STREQ(FormatByComboIndex(1).extension, ".jpg");
    EXPECT_STREQ(FormatByComboIndex(8).extension, ".raw");
    EXPECT_EQ(FormatByComboIndex(8).typeCode, kTypeRaw);
}

TEST(TitleFromPath, DropsFolderAndLastExtensionOnly)
{
    EXPECT_EQ(TitleFromPath("/pics/photo.tar.gz"), "photo.tar");
    EXPECT_EQ(TitleFromPath("photo.png"), "photo");
    EXPECT_EQ(TitleFromPath("/my.pics/scan"), "scan");
    EXPECT_EQ(TitleFromPath("/pics/scan"), "scan");
    EXPECT_EQ(TitleFromPath("/pics/a.b.png"), "a.b");
    EXPECT_EQ(TitleFromPath("/pics/readme"), "readme");
    EXPECT_EQ(TitleFromPath("/pics/.hidden"), "");
    EXPECT_EQ(TitleFromPath("/pics/"), "");
    // A backslash is an ordinary file name character here.
    EXPECT_EQ(TitleFromPath("/pics/a\\b.png"), "a\\b");
    EXPECT_EQ(TitleFromPath("/p/\xe5\x9b\xbe\xe7\x89\x87.png"), "\xe5\x9b\xbe\xe7\x89\x87");
}

TEST(OutputBasePath, AddsExactlyOneSeparator)
{
    EXPECT_EQ(OutputBasePath("/out", "photo"), "/out/photo");
    EXPECT_EQ(OutputBasePath("/out/", "photo"), "/out/photo");
    EXPECT_EQ(OutputBasePath("/", "photo"), "/photo");
    EXPECT_EQ(OutputBasePath("rel", "a.b"), "rel/a.b");
}

}  // namespace
