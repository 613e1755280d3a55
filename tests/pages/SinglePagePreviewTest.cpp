#include "SinglePageFixture.h"

#include "OutputFormat.h"
#include "PreviewGeometry.h"

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include <optional>
#include <vector>

namespace {

const QColor kGrey(128, 128, 128);
const QColor kRed(230, 30, 30);
const QColor kBlue(20, 40, 220);

// Where a picture of this size lands in the preview frame.
PreviewRect Fitted(const QImage& frame, std::uint32_t width, std::uint32_t height)
{
    return FitPreviewRect(PreviewRect{0, 0, frame.width(), frame.height()}, width, height);
}

QPoint Centre(const PreviewRect& r)
{
    return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

bool HasGrey(const QImage& image)
{
    for (int y = 0; y < image.height(); y += 3) {
        for (int x = 0; x < image.width(); x += 3) {
            if (image.pixelColor(x, y) == kGrey)
                return true;
        }
    }
    return false;
}

void Drop(QWidget& target, const QString& localPath)
{
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(localPath)});
    const QPoint at(10, 10);
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&target, &drop);
    EXPECT_TRUE(drop.isAccepted());
}

TEST_F(SinglePageTest, FirstStartWithoutSettingsShowsEmptyFieldsClearBoxesAndNoGrey)
{
    CreatePage();
    for (const OutputFormat& format : OutputFormats())
        EXPECT_FALSE(Check(format.checkId)->isChecked()) << format.label;
    EXPECT_TRUE(Edit(res::IDC_IN_FILE)->text().isEmpty());
    EXPECT_TRUE(Edit(res::IDC_OUT_DIR)->text().isEmpty());
    EXPECT_FALSE(HasGrey(GrabFrame()));
    EXPECT_FALSE(m_page->Preview().Waiting());
}

TEST_F(SinglePageTest, SavedInFileIsPreviewedAtFirstPaint)
{
    const std::string picture = MakePicture("wide.png", 100, 50, kRed);
    WriteConfig("[Single]\r\nInFile=" + picture + "\r\n");
    CreatePage();
    const QImage frame = GrabFrame();
    const PreviewRect rect = Fitted(frame, 100, 50);
    ASSERT_GT(rect.top, 3);
    EXPECT_EQ(frame.pixelColor(frame.width() / 2, 2), kGrey);
    EXPECT_EQ(frame.pixelColor(frame.width() / 2, rect.top - 1), kGrey);
    EXPECT_EQ(frame.pixelColor(frame.width() / 2, rect.bottom), kGrey);
    EXPECT_TRUE(Near(frame.pixelColor(Centre(rect)), kRed));
    EXPECT_TRUE(Near(frame.pixelColor(rect.left + 2, rect.top + 1), kRed));
    EXPECT_TRUE(Near(frame.pixelColor(rect.right - 3, rect.bottom - 2), kRed));
    EXPECT_EQ(m_page->InType(), static_cast<int>(kTypePng));
}

TEST_F(SinglePageTest, UnreadableInFileLeavesTheAreaGrey)
{
    const std::string text = Path("notes.png");
    ASSERT_TRUE(WriteFile(text, "not a picture"));
    WriteConfig("[Single]\r\nInFile=" + text + "\r\n");
    CreatePage();
    const QImage frame = GrabFrame();
    EXPECT_EQ(frame.pixelColor(frame.width() / 2, frame.height() / 2), kGrey);
    EXPECT_EQ(frame.pixelColor(3, 3), kGrey);
}

TEST_F(SinglePageTest, OpenFileFillsTheFieldPreviewsAtOnceAndKeepsTypedOutFolder)
{
    const std::string picture = MakePicture("tall.png", 50, 100, kBlue);
    CreatePage();
    Edit(res::IDC_OUT_DIR)->setText(QStringLiteral("/typed/out"));
    Check(res::IDC_CHECK_GIF)->setChecked(true);
    m_prompts.openFileAnswers = {picture};

    Button(res::IDC_OPEN_FILE)->click();
    EXPECT_EQ(m_prompts.openFileCalls, 1);
    EXPECT_EQ(m_page->InFile(), picture);
    EXPECT_EQ(m_page->InType(), static_cast<int>(kTypePng));
    EXPECT_EQ(Edit(res::IDC_IN_FILE)->text().toStdString(), picture);
    EXPECT_EQ(Edit(res::IDC_OUT_DIR)->text(), QStringLiteral("/typed/out"));
    EXPECT_TRUE(Check(res::IDC_CHECK_GIF)->isChecked());

    const QImage frame = GrabFrame();
    const PreviewRect rect = Fitted(frame, 50, 100);
    EXPECT_TRUE(Near(frame.pixelColor(Centre(rect)), kBlue));
    EXPECT_EQ(frame.pixelColor(rect.left - 2, frame.height() / 2), kGrey);
}

TEST_F(SinglePageTest, CancelledOpenFileKeepsThePathAndRewritesTheControlsFromTheMembers)
{
    const std::string picture = MakePicture("a.png", 20, 20, kRed);
    WriteConfig("[Single]\r\nInFile=" + picture + "\r\nOutDir=/saved/\r\nbpng=1\r\n");
    CreatePage();
    Edit(res::IDC_OUT_DIR)->setText(QStringLiteral("/typed/"));
    Check(res::IDC_CHECK_TGA)->setChecked(true);

    Button(res::IDC_OPEN_FILE)->click();
    EXPECT_EQ(m_prompts.openFileCalls, 1);
    EXPECT_EQ(m_page->InFile(), picture);
    EXPECT_EQ(m_page->OutDir(), "/typed/");
    EXPECT_EQ(Edit(res::IDC_IN_FILE)->text().toStdString(), picture);
    EXPECT_EQ(Edit(res::IDC_OUT_DIR)->text(), QStringLiteral("/typed/"));
    EXPECT_TRUE(Check(res::IDC_CHECK_PNG)->isChecked());
    EXPECT_TRUE(Check(res::IDC_CHECK_TGA)->isChecked());
    EXPECT_FALSE(Check(res::IDC_CHECK_BMP)->isChecked());
}

TEST_F(SinglePageTest, TypedPathIsPreviewedOnlyAfterADataExchangeAndARepaint)
{
    const std::string red = MakePicture("red.png", 40, 40, kRed);
    const std::string blue = MakePicture("blue.png", 40, 40, kBlue);
    WriteConfig("[Single]\r\nInFile=" + red + "\r\n");
    CreatePage();
    Edit(res::IDC_IN_FILE)->setText(QString::fromStdString(blue));
    QImage frame = GrabFrame();
    const QPoint centre(frame.width() / 2, frame.height() / 2);
    EXPECT_TRUE(Near(frame.pixelColor(centre), kRed));
    EXPECT_EQ(m_page->InFile(), red);

    // Open Folder, cancelled, reads the field; the next paint shows it.
    Button(res::IDC_OPEN_FOLDER)->click();
    EXPECT_EQ(m_page->InFile(), blue);
    frame = GrabFrame();
    EXPECT_TRUE(Near(frame.pixelColor(centre), kBlue));
}

TEST_F(SinglePageTest, OpenFolderOffersTheFolderWithoutSeparatorAndStoresItWithOne)
{
    WriteConfig("[Single]\r\nOutDir=/saved/out/\r\n");
    CreatePage();
    m_prompts.folderAnswers = {std::nullopt, Path("chosen")};
    Button(res::IDC_OPEN_FOLDER)->click();
    EXPECT_EQ(Edit(res::IDC_OUT_DIR)->text(), QStringLiteral("/saved/out/"));
    Button(res::IDC_OPEN_FOLDER)->click();
    EXPECT_EQ(m_prompts.folderInitialFolders, (std::vector<std::string>{"/saved/out", "/saved/out"}));
    EXPECT_EQ(m_page->OutDir(), Path("chosen") + "/");
    EXPECT_EQ(Edit(res::IDC_OUT_DIR)->text().toStdString(), Path("chosen") + "/");
}

TEST_F(SinglePageTest, DroppedFileBecomesTheInputAndDroppedFolderTheOutFolder)
{
    const std::string picture = MakePicture("dropped.png", 50, 100, kBlue);
    CreatePage();
    Check(res::IDC_CHECK_ICO)->setChecked(true);
    Edit(res::IDC_OUT_DIR)->setText(QStringLiteral("/typed"));

    Drop(*Edit(res::IDC_IN_FILE), QString::fromStdString(picture));
    EXPECT_EQ(m_page->InFile(), picture);
    EXPECT_EQ(m_page->InType(), static_cast<int>(kTypePng));
    EXPECT_EQ(Edit(res::IDC_IN_FILE)->text().toStdString(), picture);
    EXPECT_EQ(Edit(res::IDC_OUT_DIR)->text(), QStringLiteral("/typed"));
    EXPECT_TRUE(Check(res::IDC_CHECK_ICO)->isChecked());
    const QImage frame = GrabFrame();
    EXPECT_TRUE(Near(frame.pixelColor(frame.width() / 2, frame.height() / 2), kBlue));

    Drop(*m_page, QString::fromStdString(m_dir.Path()));
    EXPECT_EQ(m_page->OutDir(), m_dir.Path() + "/");
    EXPECT_EQ(Edit(res::IDC_OUT_DIR)->text().toStdString(), m_dir.Path() + "/");
    EXPECT_EQ(m_page->InFile(), picture);
}

TEST_F(SinglePageTest, DragWithoutLocalFileIsRefused)
{
    CreatePage();
    QMimeData mime;
    mime.setUrls({QUrl(QStringLiteral("https://example.org/a.png")), QUrl::fromLocalFile(QString::fromStdString(Path("missing.png")))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_page.get(), &enter);
    EXPECT_FALSE(enter.isAccepted());
}

}  // namespace
