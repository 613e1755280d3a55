#include "SinglePageFixture.h"

#include "ConvertMessages.h"
#include "PageSettings.h"
#include "WaitUntil.h"

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QSignalSpy>
#include <QUrl>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string Head(const std::string& path, std::size_t count)
{
    std::ifstream in(path, std::ios::binary);
    std::string bytes(count, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(count));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

std::vector<std::string> Texts(const FakePrompts& prompts)
{
    std::vector<std::string> texts;
    for (const FakePrompts::Message& m : prompts.messages)
        texts.push_back(m.text);
    return texts;
}

class SinglePageConvertTest : public SinglePageTest {
protected:
    void SetUp() override
    {
        SinglePageTest::SetUp();
        m_picture = MakePicture("photo.png", 120, 80, QColor(200, 120, 40));
        m_out = Path("out");
        fs::create_directory(m_out);
    }

    // Fills the fields and ticks the boxes as a user would, then presses Convert.
    void Convert(const std::string& in, const std::string& out, std::initializer_list<int> ticks)
    {
        Edit(res::IDC_IN_FILE)->setText(QString::fromStdString(in));
        Edit(res::IDC_OUT_DIR)->setText(QString::fromStdString(out));
        for (int id : ticks)
            Check(id)->setChecked(true);
        Button(res::IDC_CONVERT)->click();
    }

    bool WaitForEnd() const
    {
        return WaitUntil([this] { return !m_page->IsConverting(); }, 30000);
    }

    std::string m_picture;
    std::string m_out;
};

TEST_F(SinglePageConvertTest, JpgPngAndTifTickedWriteThreeFilesWithOneMessage)
{
    CreatePage();
    QSignalSpy finished(m_page.get(), &SinglePage::ConversionFinished);
    Convert(m_picture, m_out, {res::IDC_CHECK_JPG, res::IDC_CHECK_PNG, res::IDC_CHECK_TIF});

    // While it runs the page takes no input and shows it.
    ASSERT_TRUE(m_page->IsConverting());
    EXPECT_FALSE(Button(res::IDC_CONVERT)->isEnabled());
    EXPECT_EQ(Button(res::IDC_CONVERT)->text(), "0 / 3");  // outputs done of those ticked
    EXPECT_FALSE(Edit(res::IDC_IN_FILE)->isEnabled());
    EXPECT_FALSE(Check(res::IDC_CHECK_BMP)->isEnabled());
    EXPECT_EQ(m_page->cursor().shape(), Qt::BusyCursor);
    EXPECT_TRUE(m_prompts.messages.empty());

    ASSERT_TRUE(finished.wait(30000) || finished.count() == 1);
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(Texts(m_prompts), std::vector<std::string>{kMsgConvertOk});
    EXPECT_EQ(m_prompts.messages[0].icon, MessageIcon::None);
    EXPECT_EQ(OutFiles(), (std::vector<std::string>{"photo.jpg", "photo.png", "photo.tif"}));
    EXPECT_EQ(Head(m_out + "/photo.jpg", 3), "\xFF\xD8\xFF");
    EXPECT_EQ(Head(m_out + "/photo.png", 4), "\x89PNG");
    const std::string tif = Head(m_out + "/photo.tif", 4);
    EXPECT_TRUE(tif == std::string("II*\0", 4) || tif == std::string("MM\0*", 4));

    EXPECT_TRUE(Button(res::IDC_CONVERT)->isEnabled());
    EXPECT_EQ(Button(res::IDC_CONVERT)->text(), "Convert");
    EXPECT_TRUE(Edit(res::IDC_IN_FILE)->isEnabled());
    EXPECT_NE(m_page->cursor().shape(), Qt::BusyCursor);
}

struct Refusal {
    const char* name;
    bool withIn;
    bool withOut;
    bool ticked;
    const char* message;
};

class SinglePageRefusalTest : public SinglePageConvertTest, public testing::WithParamInterface<Refusal> {};

TEST_P(SinglePageRefusalTest, RefusesWithItsMessageAndWritesNothing)
{
    CreatePage();
    const Refusal& r = GetParam();
    Convert(r.withIn ? m_picture : "", r.withOut ? m_out : "",
            r.ticked ? std::initializer_list<int>{res::IDC_CHECK_PNG} : std::initializer_list<int>{});
    EXPECT_FALSE(m_page->IsConverting());
    EXPECT_EQ(Texts(m_prompts), std::vector<std::string>{r.message});
    EXPECT_EQ(m_prompts.messages[0].icon, MessageIcon::None);
    EXPECT_TRUE(OutFiles().empty());
    EXPECT_TRUE(Button(res::IDC_CONVERT)->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(Inputs, SinglePageRefusalTest,
                         testing::Values(Refusal{"NoInFile", false, true, true, kMsgSelectInAndOut},
                                         Refusal{"NoOutFolder", true, false, true, kMsgSelectInAndOut},
                                         Refusal{"NothingAtAll", false, false, false, kMsgSelectInAndOut},
                                         Refusal{"NoFormat", true, true, false, kMsgSelectOutType}),
                         [](const testing::TestParamInfo<Refusal>& each) { return std::string(each.param.name); });

TEST_F(SinglePageConvertTest, MissingOutFolderGivesTheFailedMessageWithTheReason)
{
    CreatePage();
    const std::string missing = Path("no/such/folder");
    Convert(m_picture, missing, {res::IDC_CHECK_BMP, res::IDC_CHECK_GIF});
    ASSERT_TRUE(WaitForEnd());
    ASSERT_EQ(m_prompts.messages.size(), 1u);
    const std::string& text = m_prompts.messages[0].text;
    EXPECT_EQ(text.rfind(std::string(kMsgConvertFailed) + "\n", 0), 0u) << text;
    EXPECT_NE(text.find(missing + "/photo.bmp"), std::string::npos) << text;
    EXPECT_NE(text.find(missing + "/photo.gif"), std::string::npos) << text;
    EXPECT_EQ(m_prompts.messages[0].icon, MessageIcon::Warning);
}

TEST_F(SinglePageConvertTest, InputThatIsNoPictureGivesTheFailedMessage)
{
    CreatePage();
    const std::string text = Path("readme.png");
    ASSERT_TRUE(WriteFile(text, "plain text"));
    Convert(text, m_out, {res::IDC_CHECK_JPG});
    ASSERT_TRUE(WaitForEnd());
    ASSERT_EQ(m_prompts.messages.size(), 1u);
    EXPECT_EQ(m_prompts.messages[0].text.rfind(kMsgConvertFailed, 0), 0u);
    EXPECT_TRUE(OutFiles().empty());
}

TEST_F(SinglePageConvertTest, WorkerThatCannotStartIsReportedNotSilent)
{
    EngineOptions options;
    options.workerProgram = Path("missing-worker");
    options.conversionWorkers = 1;
    ConversionEngine broken(options);
    CreatePage(&broken);
    Convert(m_picture, m_out, {res::IDC_CHECK_PNG});
    ASSERT_TRUE(WaitForEnd());
    ASSERT_EQ(m_prompts.messages.size(), 1u);
    EXPECT_EQ(m_prompts.messages[0].text.rfind(std::string(kMsgConvertFailed) + "\n", 0), 0u);
    EXPECT_GT(m_prompts.messages[0].text.size(), std::string(kMsgConvertFailed).size() + 10);
    m_page->DestroyWindow();
    m_page.reset();
}

TEST_F(SinglePageConvertTest, ClosingDuringAConversionWaitsForItsOutputsSavesTheSettingsAndShowsNoBox)
{
    const std::string big = MakePicture("big.png", 1600, 1200, QColor(10, 90, 200));
    CreatePage();
    Convert(big, m_out, {res::IDC_CHECK_GIF, res::IDC_CHECK_PNG, res::IDC_CHECK_TGA});
    ASSERT_TRUE(m_page->IsConverting());
    // No event runs between the press and the close.
    testing::internal::CaptureStderr();
    m_page->DestroyWindow();
    const std::string reported = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(m_page->IsConverting());
    EXPECT_EQ(OutFiles(), (std::vector<std::string>{"big.gif", "big.png", "big.tga"}));
    // The window is gone: no box outlives it, the message goes to standard error.
    EXPECT_TRUE(m_prompts.messages.empty());
    EXPECT_EQ(reported, std::string(kMsgConvertOk) + "\n");
    const SingleSettings saved = LoadSingleSettings(ConfigPath());
    EXPECT_EQ(saved.InFile, big);
    EXPECT_EQ(saved.bgif, 1);

    // The conversion's late news changes nothing.
    QCoreApplication::processEvents();
    EXPECT_TRUE(m_prompts.messages.empty());
}

TEST_F(SinglePageConvertTest, DropsAndPressesDuringAConversionAreIgnored)
{
    const std::string big = MakePicture("big.png", 1600, 1200, QColor(10, 90, 200));
    CreatePage();
    Convert(big, m_out, {res::IDC_CHECK_GIF});
    ASSERT_TRUE(m_page->IsConverting());
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(m_picture))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_page.get(), &enter);
    EXPECT_FALSE(enter.isAccepted());
    m_page->OnConvert();
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(m_page->InFile(), big);
    EXPECT_EQ(m_prompts.messages.size(), 1u);
}

TEST_F(SinglePageConvertTest, SettingsAreWrittenAtDestroyAndReadBackAtTheNextStart)
{
    CreatePage();
    Edit(res::IDC_IN_FILE)->setText(QStringLiteral("/pictures/typed.jpg"));
    Edit(res::IDC_OUT_DIR)->setText(QStringLiteral("/pictures/out/"));
    for (int id : {res::IDC_CHECK_BMP, res::IDC_CHECK_ICO, res::IDC_CHECK_RAW})
        Check(id)->setChecked(true);
    m_page->DestroyWindow();

    const SingleSettings saved = LoadSingleSettings(ConfigPath());
    EXPECT_EQ(saved.InFile, "/pictures/typed.jpg");
    EXPECT_EQ(saved.OutDir, "/pictures/out/");
    EXPECT_EQ(saved.bbmp, 1);
    EXPECT_EQ(saved.bico, 1);
    EXPECT_EQ(saved.braw, 1);
    EXPECT_EQ(saved.bjpg + saved.bgif + saved.bpcx + saved.bpng + saved.btif + saved.btga, 0);

    CreatePage();
    EXPECT_EQ(Edit(res::IDC_IN_FILE)->text(), QStringLiteral("/pictures/typed.jpg"));
    EXPECT_EQ(Edit(res::IDC_OUT_DIR)->text(), QStringLiteral("/pictures/out/"));
    EXPECT_EQ(m_page->InFile(), "/pictures/typed.jpg");
    EXPECT_EQ(m_page->Flags(), (FormatFlags{1, 0, 0, 0, 0, 1, 0, 0, 1}));
    for (int id : {res::IDC_CHECK_BMP, res::IDC_CHECK_ICO, res::IDC_CHECK_RAW})
        EXPECT_TRUE(Check(id)->isChecked());
    EXPECT_FALSE(Check(res::IDC_CHECK_JPG)->isChecked());
}

TEST_F(SinglePageConvertTest, FlagsFollowTheTableOrderWhateverTheDeclarationOrder)
{
    CreatePage();
    const int ids[] = {res::IDC_CHECK_BMP, res::IDC_CHECK_JPG, res::IDC_CHECK_GIF, res::IDC_CHECK_PCX, res::IDC_CHECK_PNG,
                       res::IDC_CHECK_ICO, res::IDC_CHECK_TIF, res::IDC_CHECK_TGA, res::IDC_CHECK_RAW};
    for (std::size_t row = 0; row < std::size(ids); ++row) {
        for (int id : ids)
            Check(id)->setChecked(id == ids[row]);
        m_page->UpdateData(true);
        FormatFlags expected{};
        expected[row] = 1;
        EXPECT_EQ(m_page->Flags(), expected) << row;
    }
}

}  // namespace
