#include "StartupArguments.h"

#include "MainDialog.h"

#include "FakePrompts.h"
#include "ScratchFolder.h"
#include "WaitUntil.h"

#include <QImage>

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

class StartupArgumentsTest : public testing::Test {
protected:
    std::string Picture(const std::string& name)
    {
        QImage image(4, 4, QImage::Format_RGB32);
        image.fill(Qt::red);
        EXPECT_TRUE(image.save(Q(m_folder / name), "PNG"));
        return m_folder / name;
    }

    void Open(const QStringList& arguments) { OpenStartupArguments(arguments, m_dialog, m_errors); }

    SinglePage& Single() { return dynamic_cast<SinglePage&>(*m_dialog.TabControl().Record(0).m_pPage); }
    BatchPage& Batch() { return dynamic_cast<BatchPage&>(*m_dialog.TabControl().Record(1).m_pPage); }
    int ShownPage() { return m_dialog.TabControl().CurPage(); }

    ScratchFolder m_folder;
    FakePrompts m_prompts;
    PageServices m_services{m_prompts, m_folder / "config.ini"};
    MainDialog m_dialog{m_services};
    std::ostringstream m_errors;
};

TEST_F(StartupArgumentsTest, OnePictureBecomesTheSinglePagesInFileAndTheRestIsIgnoredWithALineEach)
{
    const std::string picture = Picture("a.png");
    Open({"--size", Q(picture), Q(m_folder / "gone.png"), "/dev/null"});
    EXPECT_EQ(Single().InFile(), picture);
    EXPECT_EQ(Single().InType(), 4);  // PNG's type code
    EXPECT_EQ(ShownPage(), 0);
    EXPECT_TRUE(Batch().FileList().Empty());
    EXPECT_EQ(m_errors.str(), "tessaglyph: ignored unknown option --size\n"
                              "tessaglyph: ignored " + (m_folder / "gone.png") + ": no such file or folder\n"
                              "tessaglyph: ignored /dev/null: neither a file nor a folder\n");
}

TEST_F(StartupArgumentsTest, SeveralFilesOrAFolderGoIntoTheBatchListAsADrop)
{
    const std::string first = Picture("b.png");
    const std::string second = Picture("-c.png");
    Open({Q(first), "--", Q(second)});
    EXPECT_EQ(ShownPage(), 1);
    EXPECT_EQ(Batch().FileList().Entries(), (std::vector<std::string>{second, first}));
    EXPECT_EQ(Batch().InFile(), second);
    EXPECT_TRUE(Single().InFile().empty());
    EXPECT_TRUE(m_errors.str().empty());

    std::filesystem::create_directory(m_folder / "tree");
    const std::string inTree = Picture("tree/d.png");
    Open({Q(m_folder / "tree")});
    ASSERT_TRUE(WaitUntil([&] { return !Batch().IsScanning(); }));
    EXPECT_EQ(Batch().FileList().Size(), 3u);
    EXPECT_TRUE(Batch().FileList().IndexOf(inTree).has_value());
    EXPECT_EQ(Batch().InDir(), m_folder / "tree");
    EXPECT_EQ(ShownPage(), 1);
}

TEST_F(StartupArgumentsTest, NothingUsableLeavesTheWindowAsItStarts)
{
    Open({"-x", "--", "-y"});
    EXPECT_EQ(ShownPage(), 0);
    EXPECT_TRUE(Single().InFile().empty());
    EXPECT_TRUE(Batch().FileList().Empty());
    EXPECT_EQ(m_errors.str(), "tessaglyph: ignored unknown option -x\n"
                              "tessaglyph: ignored -y: no such file or folder\n");
}

}  // namespace
