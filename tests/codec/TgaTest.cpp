// TGA outputs and TGA inputs ImageMagick 6 gets wrong.
#include "ImageCodec.h"
#include "OutputFormat.h"
#include "ScratchFolder.h"
#include "TestPictures.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Blue with the top quarter red, so the top row is told from the bottom one.
Magick::Image RedTopPicture(std::size_t width, std::size_t height)
{
    Magick::Image picture(Magick::Geometry(width, height), Magick::Color("blue"));
    for (std::size_t y = 0; y < height / 4; ++y) {
        for (std::size_t x = 0; x < width; ++x)
            picture.pixelColor(x, y, Magick::Color("red"));
    }
    return picture;
}

struct TgaInput {
    const char* name;
    const char* magick;
    std::uint16_t exifOrientation;  // 0: none
};

class TgaOriginTest : public testing::TestWithParam<TgaInput> {
protected:
    ScratchFolder folder;
};

// A reader that honours the header's origin bit (bit 5 of byte 17: the first
// stored row is the top one) must show every TGA output the right way up.
TEST_P(TgaOriginTest, TopRowIsStoredWhereTheHeaderSaysTheTopIs)
{
    const TgaInput& input = GetParam();
    const std::string path = folder.File(input.name);
    if (input.exifOrientation == 6) {
        Magick::Image stored = RedTopPicture(32, 24);
        stored.rotate(-90);  // shown turned a quarter clockwise: red on top again
        SaveJpegWithOrientation(stored, 6, path);
    } else {
        SavePicture(RedTopPicture(32, 24), input.magick, path);
    }
    ImageCodec codec(path, TypeFromPath(path));
    ASSERT_TRUE(codec.Save(folder.File("out.tga"), kTypeTga)) << codec.GetLastError();

    // Uncompressed, no id: true colour (type 2) or 8-bit indices into 24-bit colours (type 1).
    const std::vector<std::uint8_t> tga = ReadAll(folder.File("out.tga"));
    ASSERT_GE(tga.size(), 18u);
    ASSERT_TRUE(tga[2] == 1 || tga[2] == 2) << int{tga[2]};
    ASSERT_EQ(tga[17] & 0x10, 0);  // left to right
    const bool topFirst = (tga[17] & 0x20) != 0;
    const std::size_t colours = tga[1] == 1 ? (tga[5] | tga[6] << 8) * 3u : 0;
    const std::size_t pixelBytes = tga[2] == 1 ? 1 : 3;
    const std::size_t topRow = 18 + colours + (topFirst ? 0 : 23u * 32u * pixelBytes);
    ASSERT_EQ(tga.size(), 18u + colours + 32u * 24u * pixelBytes);
    const std::size_t bgr = tga[2] == 1 ? 18 + tga[topRow] * 3u : topRow;
    EXPECT_GT(tga[bgr + 2], 200) << "red";
    EXPECT_LT(tga[bgr], 60) << "blue";
}

INSTANTIATE_TEST_SUITE_P(Inputs, TgaOriginTest,
                         testing::Values(TgaInput{"in.png", "PNG", 0}, TgaInput{"in.bmp", "BMP3", 0},
                                         TgaInput{"in.gif", "GIF", 0}, TgaInput{"in.pcx", "PCX", 0},
                                         TgaInput{"in.jpg", "JPEG", 0}, TgaInput{"turned.jpg", "JPEG", 6},
                                         TgaInput{"in.tif", "TIFF", 0}),
                         [](const testing::TestParamInfo<TgaInput>& param) {
                             return std::string(param.param.magick) + std::to_string(param.param.exifOrientation);
                         });

// TGA types 3 and 11 with 16 bits a pixel: a grey byte and an alpha byte.
std::vector<std::uint8_t> GreyAlphaTga(bool runLength, bool topFirst)
{
    // Three by two pixels (grey, alpha), top row first: A A B / C D D.
    const std::uint8_t a[2] = {200, 255}, b[2] = {100, 0}, c[2] = {50, 128}, d[2] = {0, 255};
    std::vector<std::uint8_t> tga = {0, 0, static_cast<std::uint8_t>(runLength ? 11 : 3), 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                     3, 0, 2, 0, 16, static_cast<std::uint8_t>((topFirst ? 0x20 : 0) | 8)};
    auto put = [&](const std::uint8_t* pixel) { tga.insert(tga.end(), pixel, pixel + 2); };
    auto row = [&](bool top) {
        if (!runLength) {
            for (const std::uint8_t* pixel : top ? std::vector{a, a, b} : std::vector{c, d, d})
                put(pixel);
        } else if (top) {
            tga.push_back(0x81);  // a run of two
            put(a);
            tga.push_back(0x00);  // one as it is
            put(b);
        } else {
            tga.push_back(0x00);
            put(c);
            tga.push_back(0x81);
            put(d);
        }
    };
    row(topFirst);
    row(!topFirst);
    return tga;
}

TEST(GreyAlphaTgaTest, ReadsGreyLevelsAndTransparency)
{
    ScratchFolder folder;
    for (const bool runLength : {false, true}) {
        for (const bool topFirst : {false, true}) {
            SCOPED_TRACE(std::to_string(runLength) + std::to_string(topFirst));
            WriteFile(folder.File("grey.tga"), GreyAlphaTga(runLength, topFirst));
            ImageCodec codec(folder.File("grey.tga"), kTypeTga);
            std::vector<std::uint8_t> rgba;
            ASSERT_TRUE(codec.Draw(3, 2, rgba)) << codec.GetLastError();
            EXPECT_EQ(rgba, (std::vector<std::uint8_t>{200, 200, 200, 255, 200, 200, 200, 255, 100, 100, 100, 0,
                                                       50, 50, 50, 128, 0, 0, 0, 255, 0, 0, 0, 255}));
        }
    }
}

}  // namespace
