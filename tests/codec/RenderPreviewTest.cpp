#include "ImageCodec.h"
#include "OutputFormat.h"
#include "InProcessJobs.h"
#include "ScratchFolder.h"
#include "TestPictures.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class RenderPreviewTest : public testing::Test {
protected:
    ScratchFolder folder;
};

TEST_F(RenderPreviewTest, FitsThePictureIntoTheArea)
{
    SavePicture(ColourPicture(800, 600), "JPEG", folder.File("photo.jpg"));
    const PreviewResult result = RenderPreview({folder.File("photo.jpg"), kTypeJpg, 250, 200});
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.pictureWidth, 800u);
    EXPECT_EQ(result.pictureHeight, 600u);
    // 250 / 800 * 600 = 187.5 high, centred: (200 - 187) / 2 = 6.5.
    EXPECT_EQ(result.rect, (PreviewRect{0, 6, 250, 193}));
    ASSERT_EQ(result.rgba.size(), std::size_t{250} * 187 * 4);
    // The gradient runs from red at the top to blue at the bottom; opaque.
    const std::uint8_t* top = &result.rgba[(2 * 250 + 125) * 4];
    const std::uint8_t* bottom = &result.rgba[(185 * 250 + 125) * 4];
    EXPECT_GT(top[0], 200);
    EXPECT_LT(top[2], 50);
    EXPECT_LT(bottom[0], 50);
    EXPECT_GT(bottom[2], 200);
    EXPECT_EQ(top[3], 255);
}

TEST_F(RenderPreviewTest, PicturesWithoutTransparencyAreDrawnOpaque)
{
    Magick::Image noisy = ColourPicture(900, 700);
    noisy.addNoise(MagickCore::GaussianNoise);
    SavePicture(noisy, "JPEG", folder.File("noisy.jpg"));
    const PreviewResult result = RenderPreview({folder.File("noisy.jpg"), kTypeJpg, 250, 200});
    ASSERT_TRUE(result.ok) << result.error;
    std::size_t translucent = 0;
    for (std::size_t i = 3; i < result.rgba.size(); i += 4)
        translucent += result.rgba[i] != 255 ? 1 : 0;
    EXPECT_EQ(translucent, 0u);
}

TEST_F(RenderPreviewTest, EnlargesSmallPicturesByTheSameRule)
{
    SavePicture(ColourPicture(100, 100), "PNG", folder.File("small.png"));
    const PreviewResult result = RenderPreview({folder.File("small.png"), kTypePng, 253, 253});
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.rect, (PreviewRect{0, 0, 252, 253}));
    EXPECT_EQ(result.rgba.size(), std::size_t{252} * 253 * 4);
}

TEST_F(RenderPreviewTest, ReportsWhatCannotBeShown)
{
    WriteFile(folder.File("text.png"), std::string("not a picture, just words in a file"));
    const PreviewResult unreadable = RenderPreview({folder.File("text.png"), kTypePng, 250, 200});
    EXPECT_FALSE(unreadable.ok);
    EXPECT_FALSE(unreadable.error.empty());
    EXPECT_TRUE(unreadable.rgba.empty());
    EXPECT_FALSE(RenderPreview({"", kTypeUnknown, 250, 200}).ok);
    SavePicture(ColourPicture(10, 10), "PNG", folder.File("small.png"));
    EXPECT_FALSE(RenderPreview({folder.File("small.png"), kTypePng, 0, 200}).ok);
}

// Large JPEGs are decoded at a reduced scale for drawing; such a picture is
// never saved, since it is not the whole picture.
TEST_F(RenderPreviewTest, LoadForDrawingDecodesLargeJpegsSmaller)
{
    SavePicture(ColourPicture(1200, 1000), "JPEG", folder.File("photo.jpg"));
    SavePicture(ColourPicture(1200, 1000), "BMP", folder.File("photo.bmp"));
    ImageCodec jpeg;
    ASSERT_TRUE(jpeg.LoadForDrawing(folder.File("photo.jpg"), kTypeJpg, 300, 300));
    EXPECT_EQ(jpeg.GetWidth(), 1200u);
    EXPECT_FALSE(jpeg.Save(folder.File("copy.bmp"), kTypeBmp));
    EXPECT_EQ(jpeg.GetLastError(), "the picture was loaded at reduced size for drawing");

    ImageCodec bmp;
    ASSERT_TRUE(bmp.LoadForDrawing(folder.File("photo.bmp"), kTypeBmp, 300, 300));
    EXPECT_TRUE(bmp.Save(folder.File("copy.bmp"), kTypeBmp)) << bmp.GetLastError();
}

}  // namespace
