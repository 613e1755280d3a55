#include "PicturePreview.h"

#include "OutputFormat.h"
#include "ScratchFolder.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const QColor kSentinel(10, 200, 30);
const QColor kGrey(128, 128, 128);
const QColor kPicture(220, 20, 60);

// A renderer that answers like the preview worker: the picture of 100 x 50
// fitted into the area, in one colour, or a failure for names with "bad".
PreviewResult FakeRender(const PreviewRequest& request)
{
    PreviewResult result;
    if (request.path.find("bad") != std::string::npos) {
        result.error = "not a picture";
        return result;
    }
    result.ok = true;
    result.pictureWidth = 100;
    result.pictureHeight = 50;
    const int height = request.areaWidth / 2;
    const int top = (request.areaHeight - height) / 2;
    result.rect = PreviewRect{0, top, request.areaWidth, top + height};
    for (int i = 0; i < request.areaWidth * height; ++i)
        result.rgba.insert(result.rgba.end(), {220, 20, 60, 255});
    return result;
}

class PicturePreviewTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_path = m_dir / "photo.png";
        ASSERT_TRUE(WriteFile(m_path, "bytes"));
    }

    QImage Paint(const std::string& path)
    {
        QImage image(250, 200, QImage::Format_RGB32);
        image.fill(kSentinel);
        QPainter painter(&image);
        m_preview.DrawPreview(painter, image.rect(), path, m_nInType);
        return image;
    }

    ScratchFolder m_dir;
    std::string m_path;
    PicturePreview m_preview{FakeRender};
    int m_nInType = -7;
};

TEST_F(PicturePreviewTest, EmptyPathPaintsNothingAndKeepsTheType)
{
    const QImage image = Paint("");
    for (const QPoint p : {QPoint(0, 0), QPoint(125, 100), QPoint(249, 199)})
        EXPECT_EQ(image.pixelColor(p), kSentinel);
    EXPECT_EQ(m_nInType, -7);
    EXPECT_EQ(m_preview.Cache().Misses(), 0u);
}

TEST_F(PicturePreviewTest, PictureIsDrawnIntoItsRectangleOnGrey)
{
    const QImage image = Paint(m_path);
    EXPECT_EQ(m_nInType, static_cast<int>(kTypePng));
    // Fitted to (0, 37) - (250, 162): grey above and below the picture.
    EXPECT_EQ(image.pixelColor(0, 0), kGrey);
    EXPECT_EQ(image.pixelColor(249, 36), kGrey);
    EXPECT_EQ(image.pixelColor(0, 37), kPicture);
    EXPECT_EQ(image.pixelColor(249, 161), kPicture);
    EXPECT_EQ(image.pixelColor(125, 162), kGrey);
    EXPECT_EQ(image.pixelColor(249, 199), kGrey);
}

TEST_F(PicturePreviewTest, FileThatDoesNotLoadLeavesTheGreyArea)
{
    const std::string bad = m_dir / "bad.JPG";
    const QImage image = Paint(bad);
    EXPECT_EQ(m_nInType, static_cast<int>(kTypeJpg));
    for (const QPoint p : {QPoint(0, 0), QPoint(125, 150), QPoint(249, 199)})
        EXPECT_EQ(image.pixelColor(p), kGrey);
}

TEST_F(PicturePreviewTest, ResultWithTooFewPixelsIsNotDrawn)
{
    PicturePreview preview([](const PreviewRequest& request) {
        PreviewResult result = FakeRender(request);
        result.rgba.resize(result.rgba.size() - 4);
        return result;
    });
    QImage image(250, 200, QImage::Format_RGB32);
    QPainter painter(&image);
    preview.DrawPreview(painter, image.rect(), m_path, m_nInType);
    painter.end();
    EXPECT_EQ(image.pixelColor(125, 150), kGrey);
}

TEST_F(PicturePreviewTest, RepaintDrawsTheKeptPreview)
{
    Paint(m_path);
    const QImage again = Paint(m_path);
    EXPECT_EQ(again.pixelColor(125, 100), kPicture);
    EXPECT_EQ(m_preview.Cache().Misses(), 1u);
    EXPECT_EQ(m_preview.Cache().Hits(), 1u);
}

TEST_F(PicturePreviewTest, AreaIsAskedInDevicePixels)
{
    std::vector<PreviewRequest> requests;
    PicturePreview preview([&](const PreviewRequest& request) {
        requests.push_back(request);
        return FakeRender(request);
    });
    QImage image(500, 400, QImage::Format_RGB32);
    image.setDevicePixelRatio(2.0);
    image.fill(kSentinel);
    QPainter painter(&image);
    preview.DrawPreview(painter, QRect(0, 0, 250, 200), m_path, m_nInType);
    painter.end();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].areaWidth, 500);
    EXPECT_EQ(requests[0].areaHeight, 400);
    // Fitted to (0, 75) - (500, 325) in physical pixels.
    EXPECT_EQ(image.pixelColor(250, 74), kGrey);
    EXPECT_EQ(image.pixelColor(250, 75), kPicture);
    EXPECT_EQ(image.pixelColor(499, 324), kPicture);
    EXPECT_EQ(image.pixelColor(499, 325), kGrey);
}

}  // namespace
