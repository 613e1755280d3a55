#include "FileIo.h"

#include "PermissionBits.h"
#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <vector>

namespace {

bool Write(const std::string& path, const std::string& text, std::string& error)
{
    return WriteFileAtomically(path, text.data(), text.size(), error);
}

class FileIoTest : public testing::Test {
protected:
    ScratchFolder folder;
    std::string error;
};

TEST_F(FileIoTest, WritesAndReplacesThroughATemporaryFile)
{
    ASSERT_TRUE(Write(folder.File("a.bmp"), "first", error)) << error;
    ASSERT_TRUE(Write(folder.File("a.bmp"), "second", error)) << error;
    EXPECT_EQ(ReadFile(folder.File("a.bmp")), "second");
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"a.bmp"});
}

TEST_F(FileIoTest, MissingFolderFailsWithAReasonAndLeavesNoFile)
{
    EXPECT_FALSE(Write(folder.File("missing/a.bmp"), "data", error));
    EXPECT_EQ(error, "the folder does not exist");
    WriteFile(folder.File("plain-file"), std::string("x"));
    EXPECT_FALSE(Write(folder.File("plain-file/a.bmp"), "data", error));
    EXPECT_EQ(error, "the folder does not exist");
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"plain-file"});
}

TEST_F(FileIoTest, AFolderWithTheOutputNameIsNotReplaced)
{
    ASSERT_EQ(::mkdir(folder.File("a.bmp").c_str(), 0755), 0);
    EXPECT_FALSE(Write(folder.File("a.bmp"), "data", error));
    EXPECT_EQ(error, "a folder has that name");
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"a.bmp"});
}

TEST_F(FileIoTest, ReadOnlyFolderFailsWithAReasonAndLeavesNoFile)
{
    ASSERT_EQ(::chmod(folder.Path().c_str(), 0755), 0);
    const std::string locked = folder.File("locked");
    ASSERT_EQ(::mkdir(locked.c_str(), 0555), 0);
    ASSERT_EQ(::chmod(locked.c_str(), 0555), 0);
    WithPermissionBitsApplied([&] {
        EXPECT_FALSE(Write(locked + "/a.bmp", "data", error));
        EXPECT_EQ(error, "permission denied");
    });
    EXPECT_TRUE(std::filesystem::is_empty(locked));
}

TEST_F(FileIoTest, ReadOnlyFileIsNotReplaced)
{
    ASSERT_EQ(::chmod(folder.Path().c_str(), 0777), 0);
    WriteFile(folder.File("kept.bmp"), std::string("precious"));
    ASSERT_EQ(::chmod(folder.File("kept.bmp").c_str(), 0444), 0);
    WithPermissionBitsApplied([&] {
        EXPECT_FALSE(Write(folder.File("kept.bmp"), "new", error));
        EXPECT_EQ(error, "the file is read-only");
    });
    // No write bit at all holds for root too.
    EXPECT_FALSE(Write(folder.File("kept.bmp"), "new", error));
    EXPECT_EQ(error, "the file is read-only");
    EXPECT_EQ(ReadFile(folder.File("kept.bmp")), "precious");
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"kept.bmp"});
}

TEST_F(FileIoTest, ReplacedFileKeepsItsRightsAndAsRootItsOwner)
{
    WriteFile(folder.File("a.bmp"), std::string("old"));
    ASSERT_EQ(::chmod(folder.File("a.bmp").c_str(), 0640), 0);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown(folder.File("a.bmp").c_str(), 1234, 2345), 0);
    }
    ASSERT_TRUE(Write(folder.File("a.bmp"), "new", error)) << error;
    struct stat info {};
    ASSERT_EQ(::stat(folder.File("a.bmp").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    if (root) {
        EXPECT_EQ(info.st_uid, 1234u);
        EXPECT_EQ(info.st_gid, 2345u);
    }
    EXPECT_EQ(ReadFile(folder.File("a.bmp")), "new");
}

// A write that fails half-way (here: over the process's file size limit, as
// on a full disk) keeps the old file whole and removes the partial one.
TEST_F(FileIoTest, ExistingFileSurvivesAWriteThatFailsHalfWay)
{
    WriteFile(folder.File("kept.bmp"), std::string("precious"));
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &previous), 0);
    rlimit small = previous;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = Write(folder.File("kept.bmp"), std::string(100000, 'x'), error);
    ::setrlimit(RLIMIT_FSIZE, &previous);

    EXPECT_FALSE(written);
    EXPECT_EQ(error, "the file is too large for the disk");
    EXPECT_EQ(ReadFile(folder.File("kept.bmp")), "precious");
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"kept.bmp"});
}

TEST_F(FileIoTest, ReadsOnlyRegularFilesWithinTheLimit)
{
    std::vector<std::uint8_t> bytes;
    WriteFile(folder.File("ten"), std::string("0123456789"));
    EXPECT_TRUE(ReadFileBytes(folder.File("ten"), 10, bytes, error));
    EXPECT_EQ(bytes.size(), 10u);
    EXPECT_FALSE(ReadFileBytes(folder.File("ten"), 9, bytes, error));
    EXPECT_EQ(error, "the file is too large");
    EXPECT_TRUE(bytes.empty());

    // A named pipe would block a plain read for ever.
    ASSERT_EQ(::mkfifo(folder.File("pipe").c_str(), 0600), 0);
    EXPECT_FALSE(ReadFileBytes(folder.File("pipe"), 100, bytes, error));
    EXPECT_EQ(error, "it is not a regular file");
}

}  // namespace
