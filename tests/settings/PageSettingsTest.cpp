#include "PageSettings.h"

#include "PermissionBits.h"
#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <sys/stat.h>

namespace {

const std::string kSingleLayout =
    "[Single]\r\nOutDir=/out/\r\nInFile=/in/a.png\r\nbraw=0\r\nbtga=0\r\nbtif=1\r\nbico=0\r\n"
    "bpng=1\r\nbpcx=0\r\nbgif=0\r\nbjpg=1\r\nbbmp=0\r\n";
const std::string kBatchLayout =
    "[Batch]\r\nOutDir=/bout/\r\nInDir=/pics\r\nInFile=/pics/b.jpg\r\nOutType=4\r\n";

SingleSettings SomeSingle()
{
    SingleSettings s;
    s.bjpg = 1;
    s.bpng = 1;
    s.btif = 7;  // any value other than zero is ticked
    s.InFile = "/in/a.png";
    s.OutDir = "/out/";
    return s;
}

BatchSettings SomeBatch()
{
    BatchSettings b;
    b.OutType = 4;
    b.InFile = "/pics/b.jpg";
    b.InDir = "/pics";
    b.OutDir = "/bout/";
    return b;
}

class PageSettingsTest : public testing::Test {
protected:
    ScratchFolder m_folder;
    std::string m_path = m_folder.File("config.ini");
};

TEST_F(PageSettingsTest, FirstStartGivesDefaultsAndAnEmptyFile)
{
    const SingleSettings s = LoadSingleSettings(m_path);
    const BatchSettings b = LoadBatchSettings(m_path);
    EXPECT_TRUE(std::filesystem::exists(m_path));
    EXPECT_EQ(ReadFile(m_path), "");
    EXPECT_EQ(s.bbmp + s.bjpg + s.bgif + s.bpcx + s.bpng + s.bico + s.btif + s.btga + s.braw, 0);
    EXPECT_EQ(s.InFile, "");
    EXPECT_EQ(s.OutDir, "");
    EXPECT_EQ(b.OutType, 0);
    EXPECT_EQ(b.InFile + b.InDir + b.OutDir, "");
}

TEST_F(PageSettingsTest, FileMadeFromNothingHasBothSectionsInEitherOrder)
{
    ASSERT_TRUE(SaveSingleSettings(m_path, SomeSingle()));
    ASSERT_TRUE(SaveBatchSettings(m_path, SomeBatch()));
    EXPECT_EQ(ReadFile(m_path), kSingleLayout + kBatchLayout);

    const std::string other = m_folder.File("other.ini");
    ASSERT_TRUE(SaveBatchSettings(other, SomeBatch()));
    ASSERT_TRUE(SaveSingleSettings(other, SomeSingle()));
    EXPECT_EQ(ReadFile(other), kBatchLayout + kSingleLayout);

    // Saving again changes nothing.
    ASSERT_TRUE(SaveSingleSettings(m_path, SomeSingle()));
    ASSERT_TRUE(SaveBatchSettings(m_path, SomeBatch()));
    EXPECT_EQ(ReadFile(m_path), kSingleLayout + kBatchLayout);
}

TEST_F(PageSettingsTest, EveryFieldComesBackAsSaved)
{
    SingleSettings s;
    s.bbmp = 1, s.bjpg = 0, s.bgif = 1, s.bpcx = 0, s.bpng = 1;
    s.bico = 0, s.btif = 1, s.btga = 0, s.braw = 1;
    s.InFile = "/photos/[2024] Trip/\"best\";1.png";
    s.OutDir = "/" + std::string(4000, 'd') + "/";
    BatchSettings b;
    b.OutType = -1;  // nothing selected stays nothing selected
    b.InFile = "\"/q\"";
    b.InDir = "/a;b [c]";
    b.OutDir = " /blank first and last ";
    ASSERT_TRUE(SaveSingleSettings(m_path, s));
    ASSERT_TRUE(SaveBatchSettings(m_path, b));

    const SingleSettings s2 = LoadSingleSettings(m_path);
    const int flags[] = {s2.bbmp, s2.bjpg, s2.bgif, s2.bpcx, s2.bpng,
                         s2.bico, s2.btif, s2.btga, s2.braw};
    const int expected[] = {1, 0, 1, 0, 1, 0, 1, 0, 1};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(flags[i], expected[i]) << SingleSettingRows()[static_cast<std::size_t>(i)].key;
    EXPECT_EQ(s2.InFile, s.InFile);
    EXPECT_EQ(s2.OutDir, s.OutDir);
    const BatchSettings b2 = LoadBatchSettings(m_path);
    EXPECT_EQ(b2.OutType, -1);
    EXPECT_EQ(b2.InFile, b.InFile);
    EXPECT_EQ(b2.InDir, b.InDir);
    EXPECT_EQ(b2.OutDir, b.OutDir);
}

TEST_F(PageSettingsTest, HandEditedFileKeepsItsOrderCommentsAndOtherSections)
{
    WriteFile(m_path,
               "; my settings\n[Batch]\nOutType=42\nOutDir=/x/ ; old\n[Mine]\nInFile=keep\n"
               "[single]\nbjpg=2\nbbmp=yes\n");
    const BatchSettings b = LoadBatchSettings(m_path);
    EXPECT_EQ(b.OutType, 42);
    EXPECT_EQ(b.OutDir, "/x/ ");
    const SingleSettings s = LoadSingleSettings(m_path);
    EXPECT_EQ(s.bjpg, 1);
    EXPECT_EQ(s.bbmp, 0);

    ASSERT_TRUE(SaveBatchSettings(m_path, b));
    ASSERT_TRUE(SaveSingleSettings(m_path, s));
    EXPECT_EQ(ReadFile(m_path),
              "; my settings\r\n[Batch]\r\nInDir=\r\nInFile=\r\nOutType=42\r\nOutDir=/x/ ; old\r\n"
              "[Mine]\r\nInFile=keep\r\n"
              "[single]\r\nOutDir=\r\nInFile=\r\nbraw=0\r\nbtga=0\r\nbtif=0\r\nbico=0\r\nbpng=0\r\n"
              "bpcx=0\r\nbgif=0\r\nbjpg=1\r\nbbmp=0\r\n");
}

TEST_F(PageSettingsTest, FirstSaveMakesTheMissingFolders)
{
    const std::string path = m_folder.File("xdg/tessaglyph/config.ini");
    EXPECT_EQ(LoadSingleSettings(path).OutDir, "");
    EXPECT_FALSE(std::filesystem::exists(path)) << "loading makes no folders";
    ASSERT_TRUE(SaveSingleSettings(path, SomeSingle()));
    EXPECT_EQ(ReadFile(path), kSingleLayout);
}

TEST_F(PageSettingsTest, UnusablePathsGiveDefaultsAndFalse)
{
    WriteFile(m_folder.File("file"), "x");
    for (const std::string& path : {m_folder.File(""), m_folder.File("file/config.ini")}) {
        EXPECT_EQ(LoadBatchSettings(path).OutType, 0) << path;
        EXPECT_FALSE(SaveBatchSettings(path, SomeBatch())) << path;
        EXPECT_FALSE(SaveSingleSettings(path, SomeSingle())) << path;
    }
    EXPECT_EQ(ReadFile(m_folder.File("file")), "x");
}

TEST_F(PageSettingsTest, UnreadableFileIsNotReplacedByOneSection)
{
    WithPermissionBitsApplied([&] {
        WriteFile(m_path, kBatchLayout);
        ASSERT_EQ(::chmod(m_path.c_str(), 0200), 0);
        EXPECT_EQ(LoadSingleSettings(m_path).OutDir, "");
        EXPECT_FALSE(SaveSingleSettings(m_path, SomeSingle()));
        ::chmod(m_path.c_str(), 0600);
        EXPECT_EQ(ReadFile(m_path), kBatchLayout);
    });
}

TEST_F(PageSettingsTest, TextWithLineBreakIsRefusedButTheRestIsSaved)
{
    SingleSettings s = SomeSingle();
    s.InFile = "/odd\nname.png";
    EXPECT_FALSE(SaveSingleSettings(m_path, s));
    const SingleSettings loaded = LoadSingleSettings(m_path);
    EXPECT_EQ(loaded.InFile, "");
    EXPECT_EQ(loaded.OutDir, "/out/");
    EXPECT_EQ(loaded.bjpg, 1);
}

} // namespace
