#include "PicturePreview.h"

#include "OutputFormat.h"
#include "ScratchFolder.h"
#include "WaitUntil.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
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

    static QImage Paint(PicturePreview& preview, const std::string& path, int& type, qreal ratio = 1.0)
    {
        QImage image(QSize(250, 200) * ratio, QImage::Format_RGB32);
        image.setDevicePixelRatio(ratio);
        image.fill(kSentinel);
        QPainter painter(&image);
        preview.DrawPreview(painter, QRect(0, 0, 250, 200), path, type);
        return image;
    }

    // A paint once the answer has come, as the page's repaint would.
    QImage PaintAnswered(const std::string& path, PicturePreview* preview = nullptr, qreal ratio = 1.0)
    {
        PicturePreview& used = preview ? *preview : m_preview;
        Paint(used, path, m_nInType, ratio);
        EXPECT_TRUE(WaitUntil([&] { return !used.Waiting(); }));
        return Paint(used, path, m_nInType, ratio);
    }

    ScratchFolder m_dir;
    std::string m_path;
    int m_nReady = 0;
    PicturePreview m_preview{FakeRender, [this] { ++m_nReady; }};
    int m_nInType = -7;
};

TEST_F(PicturePreviewTest, EmptyPathPaintsNothingAndKeepsTheType)
{
    const QImage image = Paint(m_preview, "", m_nInType);
    for (const QPoint p : {QPoint(0, 0), QPoint(125, 100), QPoint(249, 199)})
        EXPECT_EQ(image.pixelColor(p), kSentinel);
    EXPECT_EQ(m_nInType, -7);
    EXPECT_FALSE(m_preview.Waiting());
}

// The first paint does not wait for the renderer: grey, then the picture
// once the answer has come and the page was told to repaint.
TEST_F(PicturePreviewTest, PictureIsDrawnIntoItsRectangleOnGreyOnceAnswered)
{
    const QImage first = Paint(m_preview, m_path, m_nInType);
    EXPECT_EQ(first.pixelColor(125, 100), kGrey);
    EXPECT_EQ(m_nInType, static_cast<int>(kTypePng));
    const QImage image = PaintAnswered(m_path);
    EXPECT_EQ(m_nReady, 1);
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
    const QImage image = PaintAnswered(bad);
    EXPECT_EQ(m_nInType, static_cast<int>(kTypeJpg));
    for (const QPoint p : {QPoint(0, 0), QPoint(125, 150), QPoint(249, 199)})
        EXPECT_EQ(image.pixelColor(p), kGrey);
}

TEST_F(PicturePreviewTest, ResultWithTooFewPixelsIsNotDrawn)
{
    PicturePreview preview(
        [](const PreviewRequest& request) {
            PreviewResult result = FakeRender(request);
            result.rgba.resize(result.rgba.size() - 4);
            return result;
        },
        {});
    EXPECT_EQ(PaintAnswered(m_path, &preview).pixelColor(125, 150), kGrey);
}

// Asked once per picture and area: later paints draw the kept pixels.
TEST_F(PicturePreviewTest, AreaIsAskedInDevicePixelsOnceAndRepaintsDrawTheKeptPreview)
{
    std::vector<PreviewRequest> requests;  // written on the pool thread, read once it is idle
    PicturePreview preview(
        [&](const PreviewRequest& request) {
            requests.push_back(request);
            return FakeRender(request);
        },
        {});
    PaintAnswered(m_path, &preview, 2.0);
    const QImage image = Paint(preview, m_path, m_nInType, 2.0);
    EXPECT_FALSE(preview.Waiting());
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].areaWidth, 500);
    EXPECT_EQ(requests[0].areaHeight, 400);
    // Fitted to (0, 75) - (500, 325) in physical pixels.
    EXPECT_EQ(image.pixelColor(250, 74), kGrey);
    EXPECT_EQ(image.pixelColor(250, 75), kPicture);
    EXPECT_EQ(image.pixelColor(499, 324), kPicture);
    EXPECT_EQ(image.pixelColor(499, 325), kGrey);
}

// While one picture renders, the pictures asked after it wait; only the
// newest of them is rendered next.
TEST_F(PicturePreviewTest, ANewerRequestSupersedesTheWaitingOne)
{
    std::mutex mutex;
    std::condition_variable opened;
    bool open = false;
    std::vector<std::string> rendered;
    PicturePreview preview(
        [&](const PreviewRequest& request) {
            std::unique_lock<std::mutex> lock(mutex);
            opened.wait(lock, [&] { return open; });
            rendered.push_back(request.path);
            return FakeRender(request);
        },
        {});
    const std::string b = m_dir / "b.png", c = m_dir / "c.png";
    for (const std::string& path : {m_path, b, c, m_path, c})
        Paint(preview, path, m_nInType);
    {
        const std::lock_guard<std::mutex> lock(mutex);
        open = true;
    }
    opened.notify_all();
    EXPECT_EQ(PaintAnswered(c, &preview).pixelColor(125, 100), kPicture);
    const std::lock_guard<std::mutex> lock(mutex);
    EXPECT_EQ(rendered, (std::vector<std::string>{m_path, c}));
}

}  // namespace
