#include "IniFile.h"

#include "PermissionBits.h"
#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

const char* const kOldFile = "[S]\r\nk=old\r\n";

// The store holds something to write, so a false Save is a real refusal.
void FillStore(IniFile& ini)
{
    ASSERT_TRUE(ini.SetString("S", "k", "new value that is longer than the limit"));
}

TEST(IniFileFailure, PathsThatAreNotRegularFilesGiveFalseAndDefaults)
{
    ScratchFolder folder;
    fs::create_directory(folder.File("dir"));
    WriteFile(folder.File("file"), kOldFile);
    ASSERT_EQ(::mkfifo(folder.File("fifo").c_str(), 0600), 0);

    for (const std::string& path : {folder.File("dir"), folder.File("file/config.ini"),
                                    folder.File("fifo"), folder.File("missing/config.ini"),
                                    std::string("/dev/null"), std::string()}) {
        IniFile ini;
        EXPECT_FALSE(ini.Open(path)) << path;
        EXPECT_TRUE(ini.Lines().empty());
        EXPECT_EQ(ini.GetString("S", "k", "default"), "default");
        EXPECT_EQ(ini.GetInt("S", "k", 3), 3);
        FillStore(ini);
        EXPECT_FALSE(ini.Save(path)) << path;
        EXPECT_TRUE(ini.Lines().empty()) << "a failed save empties the store";
    }
    EXPECT_TRUE(fs::is_directory(folder.File("dir")));
    EXPECT_TRUE(fs::is_empty(folder.File("dir")));
    EXPECT_EQ(ReadFile(folder.File("file")), kOldFile);
    EXPECT_FALSE(fs::exists(folder.File("missing")));
    EXPECT_EQ(folder.Entries().size(), 3u) << "no temporary file left behind";
}

TEST(IniFileFailure, FailedWriteLeavesTheOldFileIntact)
{
    ScratchFolder folder;
    const std::string path = folder.File("config.ini");
    WriteFile(path, kOldFile);
    IniFile ini;
    ASSERT_TRUE(ini.Open(path));
    FillStore(ini);

    // A file size limit makes the write fail part-way, for root as well.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 8;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool result = ini.Save(path);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(result);
    EXPECT_EQ(ReadFile(path), kOldFile);
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"config.ini"});
}

TEST(IniFileFailure, UnreadableFileIsNeitherReadNorReplaced)
{
    WithPermissionBitsApplied([&] {
        ScratchFolder folder;
        const std::string path = folder.File("config.ini");
        WriteFile(path, kOldFile);
        ASSERT_EQ(::chmod(path.c_str(), 0000), 0);
        IniFile ini;
        EXPECT_FALSE(ini.Open(path));
        EXPECT_EQ(ini.GetString("S", "k", "d"), "d");
        FillStore(ini);
        EXPECT_FALSE(ini.Save(path));
        ::chmod(path.c_str(), 0600);
        EXPECT_EQ(ReadFile(path), kOldFile);
    });
}

TEST(IniFileFailure, WriteProtectedFileIsKept)
{
    WithPermissionBitsApplied([&] {
        ScratchFolder folder;
        const std::string path = folder.File("config.ini");
        WriteFile(path, kOldFile);
        ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
        IniFile ini;
        ASSERT_TRUE(ini.Open(path));
        EXPECT_EQ(ini.GetString("S", "k", "d"), "old");
        FillStore(ini);
        EXPECT_FALSE(ini.Save(path));
        EXPECT_EQ(ReadFile(path), kOldFile);
    });
}

TEST(IniFileFailure, ReadOnlyFolderWithoutFileGivesFalseAndMakesNothing)
{
    WithPermissionBitsApplied([&] {
        ScratchFolder folder;
        ASSERT_EQ(::chmod(folder.Path().c_str(), 0555), 0);
        const std::string path = folder.File("config.ini");
        IniFile ini;
        EXPECT_FALSE(ini.Open(path));
        FillStore(ini);
        EXPECT_FALSE(ini.Save(path));
        EXPECT_FALSE(fs::exists(path));
    });
}

TEST(IniFileFailure, ReadOnlyFolderWithWritableFileIsSavedInPlace)
{
    WithPermissionBitsApplied([&] {
        ScratchFolder folder;
        const std::string path = folder.File("config.ini");
        WriteFile(path, kOldFile);
        ASSERT_EQ(::chmod(folder.Path().c_str(), 0555), 0);
        IniFile ini;
        ASSERT_TRUE(ini.Open(path));
        ASSERT_TRUE(ini.SetString("S", "k", "new"));
        EXPECT_TRUE(ini.Save(path));
        EXPECT_EQ(ReadFile(path), "[S]\r\nk=new\r\n");
    });
}

TEST(IniFileSave, KeepsPermissionBitsAndWritesThroughSymbolicLinks)
{
    ScratchFolder folder;
    const std::string real = folder.File("real.ini");
    const std::string link = folder.File("config.ini");
    WriteFile(real, kOldFile);
    ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
    fs::create_symlink("real.ini", link);

    IniFile ini;
    ASSERT_TRUE(ini.Open(link));
    ASSERT_TRUE(ini.SetString("S", "k", "new"));
    ASSERT_TRUE(ini.Save(link));

    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadFile(real), "[S]\r\nk=new\r\n");
    struct stat info {};
    ASSERT_EQ(::stat(real.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(folder.Entries().size(), 2u) << "no temporary file left behind";
}

} // namespace
