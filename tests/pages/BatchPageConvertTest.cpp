// The Batch page's Convert: the run off the user-interface thread, the bar,
// the closing message, the naming rules, the format from the combo, the
// mended faults, Stop, and closing the window during a run or a scan.
#include "BatchPageFixture.h"

#include "ConvertMessages.h"
#include "ScratchFolder.h"

#include <QImage>

#include <filesystem>
#include <fstream>

#include <fcntl.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class BatchPageConvertTest : public BatchPageTest {
protected:
    void SetUp() override
    {
        BatchPageTest::SetUp();
        m_out = Path("out");
        fs::create_directory(m_out);
    }

    // Chooses the format and the out folder as a user would, then presses Convert.
    void Convert(int comboIndex, const std::string& outDir)
    {
        Combo()->setCurrentIndex(comboIndex);
        OutDirEdit()->setText(QString::fromStdString(outDir));
        Button(res::IDC_CONVERT)->click();
    }

    // Records the bar's calls as the page made them.
    void RecordProgress()
    {
        QObject::connect(m_page.get(), &BatchPage::ProgressRangeSet, [this](qint64 lower, qint64 upper) {
            m_progress.push_back("range " + std::to_string(lower) + ".." + std::to_string(upper));
        });
        QObject::connect(m_page.get(), &BatchPage::ProgressPositionSet,
                         [this](qint64 position) { m_progress.push_back("pos " + std::to_string(position)); });
    }

    QColor OutColour(const std::string& name) const
    {
        const QImage image(QString::fromStdString(m_out + "/" + name));
        return image.isNull() ? QColor() : image.pixelColor(image.width() / 2, image.height() / 2);
    }

    std::string m_out;
    std::vector<std::string> m_progress;
};

TEST_F(BatchPageConvertTest, ThreeEntriesMoveTheBarLiveAndTheMessageComesAtItsEnd)
{
    CreatePage();
    AddFiles({MakePicture("c.png", Qt::red), MakePicture("a.png", Qt::green), MakePicture("b.png", Qt::blue)});
    RecordProgress();
    std::vector<std::string> texts;  // the bar's text: entries handled of the list
    QObject::connect(m_page.get(), &BatchPage::ProgressPositionSet,
                     [&](qint64) { texts.push_back(Bar()->text().toStdString()); });
    std::vector<std::string> atMessage;
    m_prompts.onMessage = [&](const std::string&) {
        atMessage = m_progress;
        atMessage.push_back("bar " + std::to_string(Bar()->value()) + " of " + std::to_string(Bar()->maximum()));
    };

    Convert(4, m_out);
    // The run is off the user-interface thread; meanwhile the page takes no
    // other input and Convert stops the run.
    ASSERT_TRUE(m_page->IsConverting());
    EXPECT_EQ(Button(res::IDC_CONVERT)->text(), "Stop");
    EXPECT_TRUE(Button(res::IDC_CONVERT)->isEnabled());
    for (int id : {res::IDC_ADD_FILE, res::IDC_ADD_FOLDER, res::IDC_DELETE, res::IDC_DELETE_ALL, res::IDC_FILE_LIST,
                   res::IDC_OUT_TYPE, res::IDC_OUT_DIR, res::IDC_BATCH_OPEN_FOLDER})
        EXPECT_FALSE(m_page->GetDlgItem(id)->isEnabled()) << id;
    EXPECT_EQ(m_page->cursor().shape(), Qt::BusyCursor);
    ASSERT_TRUE(WaitForRunEnd());

    EXPECT_EQ(Messages(), std::vector<std::string>{kMsgConvertOk});
    EXPECT_EQ(atMessage, (std::vector<std::string>{"range 0..3", "pos 0", "pos 0", "pos 1", "pos 2", "pos 3",
                                                   "bar 3 of 3"}));
    EXPECT_EQ(texts, (std::vector<std::string>{"0 / 3", "1 / 3", "2 / 3", "3 / 3", "3 / 3"}));
    EXPECT_EQ(OutFiles(), (std::vector<std::string>{"a.png", "b.png", "c.png"}));
    EXPECT_EQ(Button(res::IDC_CONVERT)->text(), "Convert");
    EXPECT_TRUE(Button(res::IDC_ADD_FILE)->isEnabled());
    EXPECT_NE(m_page->cursor().shape(), Qt::BusyCursor);
}

TEST_F(BatchPageConvertTest, OutFoldersWithAndWithoutAFinalSeparatorGiveTheSameOutputs)
{
    CreatePage();
    AddFiles({MakePicture("in/photo.png", Qt::red)});
    Convert(1, m_out);
    ASSERT_TRUE(WaitForRunEnd());
    EXPECT_EQ(OutFiles(), std::vector<std::string>{"photo.jpg"});
    fs::remove(m_out + "/photo.jpg");

    Convert(1, m_out + "/");
    ASSERT_TRUE(WaitForRunEnd());
    EXPECT_EQ(OutFiles(), std::vector<std::string>{"photo.jpg"});
    EXPECT_EQ(Messages(), (std::vector<std::string>{kMsgConvertOk, kMsgConvertOk}));
    std::ifstream jpeg(m_out + "/photo.jpg", std::ios::binary);
    EXPECT_EQ(jpeg.get(), 0xFF);
    EXPECT_EQ(jpeg.get(), 0xD8);
}

TEST_F(BatchPageConvertTest, TitlesKeepEveryFullStopButTheLastAndANameWithoutOneIsKeptWhole)
{
    CreatePage();
    AddFiles({MakePicture("in/a.b.png", Qt::red), MakePicture("in/readme", Qt::blue)});
    Convert(2, m_out);
    ASSERT_TRUE(WaitForRunEnd());
    EXPECT_EQ(OutFiles(), (std::vector<std::string>{"a.b.gif", "readme.gif"}));
    EXPECT_EQ(Messages(), std::vector<std::string>{kMsgConvertOk});
}

// A stored OutType outside the nine items leaves no selection; a run then
// writes BMP, and the page saves -1, which the next start shows again.
TEST_F(BatchPageConvertTest, NoFormatSelectedWritesBmpAndIsKeptAsMinusOne)
{
    WriteConfig("[Batch]\nOutType=9\nOutDir=" + m_out + "\n");
    CreatePage();
    EXPECT_EQ(Combo()->currentIndex(), -1);
    EXPECT_EQ(OutDirEdit()->text().toStdString(), m_out);
    AddFiles({MakePicture("in/pic.png", Qt::red)});

    Button(res::IDC_CONVERT)->click();
    ASSERT_TRUE(WaitForRunEnd());
    EXPECT_EQ(OutFiles(), std::vector<std::string>{"pic.bmp"});
    std::ifstream bmp(m_out + "/pic.bmp", std::ios::binary);
    EXPECT_EQ(bmp.get(), 'B');
    EXPECT_EQ(bmp.get(), 'M');

    m_page->DestroyWindow();
    EXPECT_TRUE(ConfigHasLine("OutType=-1")) << ReadConfig();
    CreatePage();
    EXPECT_EQ(Combo()->currentIndex(), -1);
    EXPECT_EQ(m_page->OutType(), -1);
}

TEST_F(BatchPageConvertTest, SettingsAreLoadedAtStartAndSavedAtClose)
{
    WriteConfig("; mine\n[Single]\nbpng=1\n[Batch]\nOutType=6\nInFile=/p/shown.png\nInDir=/p\nOutDir=/o/\n");
    CreatePage(nullptr);
    EXPECT_EQ(Combo()->currentText(), "TIF");
    EXPECT_EQ(OutDirEdit()->text(), "/o/");
    EXPECT_EQ(m_page->InFile(), "/p/shown.png");
    EXPECT_EQ(m_page->InDir(), "/p");
    EXPECT_TRUE(Listed().empty());

    Combo()->setCurrentIndex(8);
    OutDirEdit()->setText("/typed");
    m_page->DestroyWindow();
    const std::vector<std::string> lines = ConfigLines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 3),
              (std::vector<std::string>{"; mine", "[Single]", "bpng=1"}));
    for (const char* line : {"OutType=8", "OutDir=/typed", "InDir=/p", "InFile=/p/shown.png"})
        EXPECT_TRUE(ConfigHasLine(line)) << line << "\n" << ReadConfig();
}

TEST_F(BatchPageConvertTest, AnEmptyListOrOutFolderIsRefusedAndTheBarKeepsItsPosition)
{
    CreatePage();
    AddFiles({MakePicture("in/one.png", Qt::red)});
    Convert(0, m_out);
    ASSERT_TRUE(WaitForRunEnd());
    ASSERT_EQ(Bar()->value(), 1);
    RecordProgress();

    Convert(0, "");
    Button(res::IDC_DELETE_ALL)->click();
    Convert(0, m_out);

    EXPECT_FALSE(m_page->IsConverting());
    EXPECT_EQ(Messages(), (std::vector<std::string>{kMsgConvertOk, kMsgSelectInAndOut, kMsgSelectInAndOut}));
    EXPECT_TRUE(m_progress.empty());
    EXPECT_EQ(Bar()->value(), 1);
    EXPECT_EQ(Bar()->maximum(), 1);
}

TEST_F(BatchPageConvertTest, OkOnlyWhenEveryPictureWasWrittenAndEachFailureIsNamed)
{
    CreatePage();
    const std::string broken = Touch("in/broken.png");
    AddFiles({MakePicture("in/good.png", Qt::red), broken});
    Convert(4, m_out);
    ASSERT_TRUE(WaitForRunEnd());

    ASSERT_EQ(m_prompts.messages.size(), 1u);
    const std::string& text = m_prompts.messages[0].text;
    EXPECT_EQ(text.rfind(std::string(kMsgConvertFailed) + "\n1 of 2 pictures were written.\n" + broken + ": ", 0), 0u)
        << text;
    EXPECT_EQ(m_prompts.messages[0].icon, MessageIcon::Warning);
    EXPECT_EQ(OutFiles(), std::vector<std::string>{"good.png"});
    EXPECT_EQ(Bar()->value(), 2);
}

// One worker that hangs on "hang.png" for a second holds the run while the
// user presses Stop.
TEST_F(BatchPageConvertTest, StopEndsTheRunAfterThePictureInFlightAndSaysHowManyWereConverted)
{
    CreatePage(&HangingTestEngine());
    for (const char* name : {"a1.png", "a2.png", "a3.png", "b-hang.png", "c1.png", "c2.png", "c3.png"})
        AddFiles({MakePicture(std::string("in/") + name, Qt::red)});
    RecordProgress();
    Convert(4, m_out);
    ASSERT_TRUE(WaitUntil([this] { return !m_progress.empty() && m_progress.back() == "pos 2"; }));

    Button(res::IDC_CONVERT)->click();
    EXPECT_FALSE(Button(res::IDC_CONVERT)->isEnabled());
    ASSERT_TRUE(WaitForRunEnd());

    ASSERT_EQ(m_prompts.messages.size(), 1u);
    EXPECT_EQ(m_prompts.messages[0].text.rfind(
                  "Convert picture stopped.\n3 of 7 pictures were converted before the stop.\n" + Path("in/b-hang.png"), 0),
              0u)
        << m_prompts.messages[0].text;
    EXPECT_EQ(OutFiles(), (std::vector<std::string>{"a1.png", "a2.png", "a3.png"}));
    EXPECT_TRUE(m_page->LastOutcome().stopped);
    EXPECT_EQ(Bar()->value(), 4);
    EXPECT_EQ(Bar()->text(), "4 / 7");
    EXPECT_EQ(Button(res::IDC_CONVERT)->text(), "Convert");
    EXPECT_TRUE(Button(res::IDC_CONVERT)->isEnabled());
}

// Closing the window during a run is the user's stop: the picture in flight
// ends, the settings are saved, and how far the run got goes to standard
// error, not into a box that would outlive the window.
TEST_F(BatchPageConvertTest, ClosingTheWindowDuringARunStopsItSavesTheSettingsAndShowsNoBox)
{
    CreatePage(&HangingTestEngine());
    for (const char* name : {"a1.png", "b-hang.png", "c1.png"})
        AddFiles({MakePicture(std::string("in/") + name, Qt::red)});
    RecordProgress();
    Convert(7, m_out);
    ASSERT_TRUE(WaitUntil([this] { return m_progress.size() == 3 && m_progress.back() == "pos 0"; }));

    testing::internal::CaptureStderr();
    m_page->DestroyWindow();
    const std::string reported = testing::internal::GetCapturedStderr();

    EXPECT_FALSE(m_page->IsConverting());
    EXPECT_TRUE(m_prompts.messages.empty());
    EXPECT_NE(reported.find("Convert picture stopped.\n1 of 3 pictures"), std::string::npos) << reported;
    EXPECT_EQ(OutFiles(), std::vector<std::string>{"a1.tga"});
    EXPECT_TRUE(ConfigHasLine("OutType=7") && ConfigHasLine("OutDir=" + m_out)) << ReadConfig();
}

TEST_F(BatchPageConvertTest, ClosingTheWindowDuringAScanStopsItAndStillSavesTheSettings)
{
    CreatePage(nullptr);
    m_prompts.folderAnswers.push_back("/");
    Button(res::IDC_ADD_FOLDER)->click();
    ASSERT_TRUE(m_page->IsScanning());

    m_page->DestroyWindow();

    EXPECT_FALSE(m_page->IsScanning());
    EXPECT_TRUE(m_prompts.messages.empty());
    EXPECT_TRUE(ConfigHasLine("InDir=/")) << ReadConfig();
}

// More entries than 16 bits count: the bar's range is the whole count. The
// entries are empty files, made in memory where the system offers it.
TEST_F(BatchPageConvertTest, TheBarsRangeIsNotCutTo16Bits)
{
    constexpr int kEntries = 65536 + 4;
    QTemporaryDir memory(QStringLiteral("/dev/shm/tessaglyph-batch-XXXXXX"));
    const std::string many = memory.isValid() ? memory.path().toStdString() : Path("many");
    fs::create_directories(many);
    for (int i = 0; i < kEntries; ++i)
        ::close(::creat((many + "/n" + std::to_string(i) + ".png").c_str(), 0600));
    ::close(::creat((many + "/a-hang.png").c_str(), 0600));
    CreatePage(&HangingTestEngine());
    ASSERT_TRUE(AddFolder(many));
    ASSERT_EQ(Listed().size(), static_cast<std::size_t>(kEntries + 1));
    RecordProgress();

    Convert(0, m_out);
    ASSERT_TRUE(WaitUntil([this] { return !m_progress.empty(); }));
    Button(res::IDC_CONVERT)->click();  // a-hang.png is in flight
    ASSERT_TRUE(WaitForRunEnd());

    EXPECT_EQ(m_progress.front(), "range 0.." + std::to_string(kEntries + 1));
    EXPECT_EQ(Bar()->maximum(), kEntries + 1);
}

}  // namespace
