// The scratch folder every test stands on: it must leave nothing behind, even
// where a test locked folders, and must never touch what lies outside it.
#include "ScratchFolder.h"

#include "PermissionBits.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

mode_t ModeOf(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

TEST(ScratchFolder, CleansUpLockedFoldersWithoutChangingWhatALinkPointsAt)
{
    const ScratchFolder outside;
    ASSERT_TRUE(WriteFile(outside / "kept/file", "outside"));
    ASSERT_EQ(::chmod((outside / "kept").c_str(), 0500), 0);

    WithPermissionBitsApplied([&] {
        std::string path;
        {
            const ScratchFolder folder;
            path = folder.Path();
            ASSERT_TRUE(WriteFile(folder / "locked/deeper/file", "x"));
            ASSERT_TRUE(WriteFile(folder / "readonly/file", "x"));
            fs::create_directory_symlink(outside / "kept", folder / "link");
            ASSERT_EQ(::chmod((folder / "locked/deeper").c_str(), 0), 0);
            ASSERT_EQ(::chmod((folder / "locked").c_str(), 0), 0);
            ASSERT_EQ(::chmod((folder / "readonly").c_str(), 0500), 0);
        }
        std::error_code ec;
        EXPECT_FALSE(fs::exists(path, ec)) << path;
    });
    EXPECT_EQ(ModeOf(outside / "kept"), 0500u);
    EXPECT_EQ(ReadFile(outside / "kept/file"), "outside");
}

TEST(ScratchFolder, FilesRoundTripEveryByteAndEntriesComeSorted)
{
    const ScratchFolder folder;
    const std::string bytes("\0\r\n\xff tail", 9);
    ASSERT_TRUE(WriteFile(folder / "b/inner.bin", bytes));
    EXPECT_EQ(ReadFile(folder / "b/inner.bin"), bytes);
    EXPECT_EQ(ReadAll(folder / "b/inner.bin"), std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    ASSERT_TRUE(WriteFile(folder / ".hidden", "x"));
    ASSERT_TRUE(WriteFile(folder / "a", "shorter"));
    ASSERT_TRUE(WriteFile(folder / "a", "x"));
    EXPECT_EQ(ReadFile(folder / "a"), "x") << "a write replaces the whole file";
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{".hidden", "a", "b"}));
    EXPECT_FALSE(WriteFile(folder / "a/under-a-file", "x"));
    EXPECT_EQ(ReadFile(folder / "missing"), "");
    EXPECT_TRUE(EntryNames(folder / "missing").empty());
}

}  // namespace
