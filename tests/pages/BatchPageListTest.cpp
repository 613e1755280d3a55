// The Batch page's list: AddFile, AddFolder and its scan, drops, the sorted
// order, the duplicate rule, deletions and the preview that follows the
// picture last added or selected.
#include "BatchPageFixture.h"

#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QUrl>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;

namespace {

class BatchPageListTest : public BatchPageTest {
protected:
    // Drops these local paths onto the page at `where` (page coordinates).
    void Drop(const std::vector<std::string>& paths, QPoint where)
    {
        QMimeData mime;
        QList<QUrl> urls;
        for (const std::string& path : paths)
            urls.push_back(QUrl::fromLocalFile(QString::fromStdString(path)));
        mime.setUrls(urls);
        QDragEnterEvent enter(where, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_page.get(), &enter);
        ASSERT_TRUE(enter.isAccepted());
        QDropEvent drop(QPointF(where), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_page.get(), &drop);
        ASSERT_TRUE(drop.isAccepted());
    }

    QPoint ListCentre() const { return m_page->FileListView()->geometry().center(); }
};

TEST_F(BatchPageListTest, AddFolderListsPicturesByTheirLastThreeLettersOrExtensionInHiddenPlacesAndSubfolders)
{
    CreatePage();
    const std::string dir = Path("pics");
    for (const char* name : {"a.bmp", "b.JPG", "c.jpeg", "d.txt", ".e.gif", "sub/f.png", "photoBMP", "pics.bmp/g.png",
                             ".hidden/h.tga"})
        Touch("pics/" + std::string(name));

    ASSERT_TRUE(AddFolder(dir));

    EXPECT_EQ(Listed(), (std::vector<std::string>{dir + "/.e.gif", dir + "/.hidden/h.tga", dir + "/a.bmp",
                                                  dir + "/b.JPG", dir + "/c.jpeg", dir + "/photoBMP",
                                                  dir + "/pics.bmp/g.png", dir + "/sub/f.png"}));
    EXPECT_EQ(Shown(), Listed());
    EXPECT_EQ(m_page->InDir(), dir);
    EXPECT_EQ(m_prompts.folderInitialFolders, std::vector<std::string>{""});
    // A scan previews nothing and says nothing.
    EXPECT_EQ(m_page->InFile(), "");
    EXPECT_TRUE(m_prompts.messages.empty());

    // Twice: nothing new, and the browser opens at the folder scanned last.
    ASSERT_TRUE(AddFolder(dir + "/"));
    EXPECT_EQ(Listed().size(), 8u);
    EXPECT_EQ(m_prompts.folderInitialFolders.back(), dir);
}

TEST_F(BatchPageListTest, AddFolderCancelledChangesNothing)
{
    WriteConfig("[Batch]\nInDir=/somewhere\n");
    CreatePage();
    Button(res::IDC_ADD_FOLDER)->click();
    EXPECT_FALSE(m_page->IsScanning());
    EXPECT_EQ(m_page->InDir(), "/somewhere");
    EXPECT_EQ(m_prompts.folderInitialFolders, std::vector<std::string>{"/somewhere"});
}

TEST_F(BatchPageListTest, TheListIsSortedWithoutRegardToCaseWhateverTheAddingOrder)
{
    const std::vector<std::string> names = {"/p/b.png", "/p/A.png", "/p/a.png", "/p/C.bmp", "/p/a.bmp", "/Q/x.png",
                                            "/p/_.png"};
    std::vector<std::string> reversed(names.rbegin(), names.rend());
    const std::vector<std::string> expected = {"/p/_.png", "/p/a.bmp", "/p/A.png", "/p/a.png",
                                               "/p/b.png", "/p/C.bmp", "/Q/x.png"};

    CreatePage(nullptr);
    AddFiles(names);
    EXPECT_EQ(Listed(), expected);
    EXPECT_EQ(Shown(), expected);

    CreatePage(nullptr);
    AddFiles(reversed);
    EXPECT_EQ(Listed(), expected);
    EXPECT_EQ(Shown(), expected);
}

TEST_F(BatchPageListTest, OnlyAnExactlyMatchingPathCountsAsListed)
{
    CreatePage(nullptr);
    // A listed path that merely begins with the new one, or differs in case
    // only, names another file.
    AddFiles({"/p/a.bmp.png", "/p/a.bmp", "/p/A.BMP", "/p/a.bm"});
    EXPECT_EQ(Listed(), (std::vector<std::string>{"/p/a.bm", "/p/A.BMP", "/p/a.bmp", "/p/a.bmp.png"}));

    // A listed path is not added again, but it is previewed.
    AddFiles({"/p/a.bmp.png"});
    EXPECT_EQ(Listed().size(), 4u);
    EXPECT_EQ(m_page->InFile(), "/p/a.bmp.png");
    EXPECT_EQ(m_page->InType(), 4);
}

TEST_F(BatchPageListTest, AddFileTakesSeveralFilesEachListedOnceAndPreviewsTheLast)
{
    CreatePage(nullptr);
    AddFiles({"/p/b.png"});
    m_prompts.openFilesAnswers = {{"/p/c.jpeg", "/p/b.png", "/p/a.bmp"}};
    Button(res::IDC_ADD_FILE)->click();
    EXPECT_EQ(Listed(), (std::vector<std::string>{"/p/a.bmp", "/p/b.png", "/p/c.jpeg"}));
    EXPECT_EQ(m_page->InFile(), "/p/a.bmp");
    EXPECT_EQ(m_page->InType(), 1);
}

TEST_F(BatchPageListTest, AddFileCancelledKeepsListPreviewAndTypedFields)
{
    CreatePage(nullptr);
    AddFiles({"/p/a.png"});
    OutDirEdit()->setText("/typed/out");
    Combo()->setCurrentIndex(3);

    Button(res::IDC_ADD_FILE)->click();  // no answer: the user cancels

    EXPECT_EQ(m_prompts.openFileCalls, 2);
    EXPECT_EQ(Listed(), std::vector<std::string>{"/p/a.png"});
    EXPECT_EQ(m_page->InFile(), "/p/a.png");
    EXPECT_EQ(OutDirEdit()->text(), "/typed/out");
    EXPECT_EQ(Combo()->currentIndex(), 3);
}

TEST_F(BatchPageListTest, ThePreviewFollowsTheLastAddedOrSelectedPictureEvenAfterItLeavesTheList)
{
    CreatePage();
    const std::string red = MakePicture("red.png", Qt::red);
    const std::string blue = MakePicture("blue.png", Qt::blue);
    Bar()->setRange(0, 7);
    Bar()->setValue(5);

    AddFiles({red, blue});
    EXPECT_EQ(m_page->InFile(), blue);
    EXPECT_TRUE(WaitUntil([&] { return PreviewCentre() == QColor(Qt::blue); }));

    Select(red);
    EXPECT_EQ(m_page->InFile(), red);
    EXPECT_TRUE(WaitUntil([&] { return PreviewCentre() == QColor(Qt::red); }));

    // Deleting the selected entry leaves no selection and the preview alone.
    Button(res::IDC_DELETE)->click();
    EXPECT_EQ(Listed(), std::vector<std::string>{blue});
    EXPECT_TRUE(m_page->FileListView()->selectionModel()->selectedRows().isEmpty());
    Button(res::IDC_DELETE)->click();  // nothing selected: nothing deleted
    EXPECT_EQ(Listed(), std::vector<std::string>{blue});

    Button(res::IDC_DELETE_ALL)->click();
    EXPECT_TRUE(Listed().empty());
    Button(res::IDC_DELETE_ALL)->click();
    EXPECT_EQ(m_page->InFile(), red);
    EXPECT_EQ(PreviewCentre(), QColor(Qt::red));
    EXPECT_EQ(Bar()->maximum(), 7);
    EXPECT_EQ(Bar()->value(), 5);

    // The previewed picture is the one saved at close.
    m_page->DestroyWindow();
    EXPECT_TRUE(ConfigHasLine("InFile=" + red)) << ReadConfig();
}

TEST_F(BatchPageListTest, TheDeleteKeyOnTheListDeletesTheSelectedEntry)
{
    CreatePage(nullptr);
    AddFiles({"/p/a.png", "/p/b.png"});
    Select("/p/b.png");
    QTest::keyClick(m_page->FileListView(), Qt::Key_Delete);
    EXPECT_EQ(Listed(), std::vector<std::string>{"/p/a.png"});
}

TEST_F(BatchPageListTest, AScanKeepsTheSelectionAndThePreviewedPicture)
{
    CreatePage(nullptr);
    AddFiles({Path("m.png"), Path("n.png")});
    Select(Path("m.png"));
    for (const char* name : {"a.png", "z.png", "k.png"})
        Touch(std::string("more/") + name);

    ASSERT_TRUE(AddFolder(Path("more")));

    EXPECT_EQ(Listed().size(), 5u);
    EXPECT_EQ(m_page->InFile(), Path("m.png"));
    const QModelIndexList selected = m_page->FileListView()->selectionModel()->selectedRows();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(m_page->FileList().At(static_cast<std::size_t>(selected.front().row())), Path("m.png"));
}

// Root reads every folder whatever its mode, so as root this test runs itself
// again in a child process that has become an ordinary user; the child finds
// the tree through the environment and reports by its exit status.
TEST_F(BatchPageListTest, AnUnreadableSubfolderIsSkippedAndTheScanGoesOn)
{
    constexpr char kTreeVariable[] = "TESSAGLYPH_TEST_LOCKED_TREE";
    const char* given = std::getenv(kTreeVariable);
    if (!given) {
        Touch("tree/a/1.png");
        Touch("tree/b/locked/2.png");
        Touch("tree/c/3.png");
        fs::permissions(Path("tree/b/locked"), fs::perms::none);
    }
    const std::string tree = given ? std::string(given) : Path("tree");

    if (!given && ::geteuid() == 0) {
        for (const char* folder : {"", "tree", "tree/a", "tree/b", "tree/c"})
            fs::permissions(Path(folder), fs::perms::all);
        std::vector<std::string> environment = {std::string(kTreeVariable) + "=" + tree};
        for (char** entry = environ; *entry; ++entry)
            environment.emplace_back(*entry);
        std::vector<char*> envp;
        for (std::string& entry : environment)
            envp.push_back(entry.data());
        envp.push_back(nullptr);
        std::string filter = "--gtest_filter=BatchPageListTest.AnUnreadableSubfolderIsSkippedAndTheScanGoesOn";
        char program[] = "/proc/self/exe";
        char* argv[] = {program, filter.data(), nullptr};

        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(3);
            ::execve(program, argv, envp.data());
            ::_exit(4);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        fs::permissions(Path("tree/b/locked"), fs::perms::owner_all);
        ASSERT_TRUE(WIFEXITED(status)) << "the child ended by a signal";
        EXPECT_EQ(WEXITSTATUS(status), 0) << "3: could not become an ordinary user; 4: could not run; 1: failed";
        return;
    }

    CreatePage(nullptr);
    ASSERT_TRUE(AddFolder(tree));
    EXPECT_EQ(Listed(), (std::vector<std::string>{tree + "/a/1.png", tree + "/c/3.png"}));
    ASSERT_EQ(m_page->LastScan().skippedFolders.size(), 1u);
    EXPECT_NE(m_page->LastScan().skippedFolders[0].find(tree + "/b/locked"), std::string::npos);
    // Skipped without a message, as a scan never shows one.
    EXPECT_TRUE(m_prompts.messages.empty());
    if (!given)
        fs::permissions(Path("tree/b/locked"), fs::perms::owner_all);
}

TEST_F(BatchPageListTest, ARootFolderStaysARootAndItsScanCanBeStopped)
{
    CreatePage(nullptr);
    m_prompts.folderAnswers.push_back("/");
    Button(res::IDC_ADD_FOLDER)->click();

    // Meanwhile the page takes no other input; AddFolder stops the scan.
    ASSERT_TRUE(m_page->IsScanning());
    EXPECT_EQ(Button(res::IDC_ADD_FOLDER)->text(), "Stop");
    EXPECT_TRUE(Button(res::IDC_ADD_FOLDER)->isEnabled());
    for (int id : {res::IDC_ADD_FILE, res::IDC_CONVERT, res::IDC_DELETE, res::IDC_DELETE_ALL, res::IDC_BATCH_OPEN_FOLDER,
                   res::IDC_FILE_LIST, res::IDC_OUT_TYPE, res::IDC_OUT_DIR})
        EXPECT_FALSE(m_page->GetDlgItem(id)->isEnabled()) << id;
    EXPECT_EQ(m_page->cursor().shape(), Qt::BusyCursor);

    Button(res::IDC_ADD_FOLDER)->click();
    ASSERT_TRUE(WaitUntil([this] { return !m_page->IsScanning(); }));

    EXPECT_TRUE(m_page->LastScan().stopped);
    EXPECT_EQ(m_page->InDir(), "/");
    for (const std::string& path : Listed())
        EXPECT_TRUE(path.rfind("/", 0) == 0 && path.rfind("//", 0) != 0) << path;
    EXPECT_EQ(Button(res::IDC_ADD_FOLDER)->text(), "AddFolder");
    for (int id : {res::IDC_ADD_FOLDER, res::IDC_ADD_FILE, res::IDC_CONVERT, res::IDC_FILE_LIST, res::IDC_OUT_DIR})
        EXPECT_TRUE(m_page->GetDlgItem(id)->isEnabled()) << id;
    EXPECT_NE(m_page->cursor().shape(), Qt::BusyCursor);
}

TEST_F(BatchPageListTest, DroppedFilesAreAddedAsAddFileAddsThemAndFoldersScanned)
{
    CreatePage();
    const std::string picture = MakePicture("drop/one.png", Qt::green);
    const std::string other = Touch("drop/readme");
    Touch("tree/x.gif");
    Touch("tree/deep/y.pcx");
    Touch("tree/z.txt");

    // The list leaves drops to the page, which tells files from folders.
    EXPECT_FALSE(m_page->FileListView()->acceptDrops());
    EXPECT_FALSE(m_page->FileListView()->viewport()->acceptDrops());
    Drop({picture, other, Path("tree/")}, ListCentre());
    ASSERT_TRUE(WaitUntil([this] { return !m_page->IsScanning(); }));

    EXPECT_EQ(Listed(), (std::vector<std::string>{picture, other, Path("tree/deep/y.pcx"), Path("tree/x.gif")}));
    EXPECT_EQ(m_page->InFile(), other);
    EXPECT_EQ(m_page->InDir(), Path("tree"));
    EXPECT_EQ(m_page->InType(), 0);
}

TEST_F(BatchPageListTest, AFolderDroppedOnTheOutFolderFieldBecomesTheOutFolder)
{
    CreatePage(nullptr);
    fs::create_directory(Path("out"));
    Drop({Path("out")}, OutDirEdit()->geometry().center());
    EXPECT_EQ(OutDirEdit()->text().toStdString(), Path("out") + "/");
    EXPECT_FALSE(m_page->IsScanning());
    EXPECT_TRUE(Listed().empty());
}

TEST_F(BatchPageListTest, OpenFolderGivesAFinalSeparatorAndCancelKeepsTheTypedText)
{
    CreatePage(nullptr);
    OutDirEdit()->setText("/typed");
    Button(res::IDC_BATCH_OPEN_FOLDER)->click();  // cancelled
    EXPECT_EQ(OutDirEdit()->text(), "/typed");
    EXPECT_EQ(m_prompts.folderInitialFolders, std::vector<std::string>{"/typed"});

    m_prompts.folderAnswers.push_back(Path("chosen"));
    Button(res::IDC_BATCH_OPEN_FOLDER)->click();
    EXPECT_EQ(OutDirEdit()->text().toStdString(), Path("chosen") + "/");
    EXPECT_EQ(m_page->OutDir(), Path("chosen") + "/");
}

}  // namespace
