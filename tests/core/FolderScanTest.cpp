#include "FolderScan.h"

#include "PermissionBits.h"
#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct Found {
    std::vector<std::string> paths;
    FolderScanResult result;
};

Found Scan(const std::string& folder)
{
    Found found;
    FolderScan scan([&](const std::string& path) { found.paths.push_back(path); });
    found.result = scan.Run(folder);
    return found;
}

std::set<std::string> AsSet(const std::vector<std::string>& v)
{
    return {v.begin(), v.end()};
}

TEST(FolderScanTest, AddsPicturesByTheirLastThreeCharactersOrReadableExtensionIncludingHiddenAndNested)
{
    ScratchFolder dir;
    for (const char* name : {"a.bmp", "b.JPG", "c.jpeg", "d.txt", ".e.gif", "sub/f.png", "photoBMP", "pics.bmp/g.tga",
                             ".hidden/h.pcx", "IMG_1.HEIC", "c.jpeg.txt", "heic", "x.jpeg/y"})
        WriteFile(dir / name, "x");
    const Found found = Scan(dir.Path());
    EXPECT_EQ(AsSet(found.paths),
              (std::set<std::string>{dir / "a.bmp", dir / "b.JPG", dir / "c.jpeg", dir / ".e.gif", dir / "sub/f.png",
                                     dir / "photoBMP", dir / "pics.bmp/g.tga", dir / ".hidden/h.pcx",
                                     dir / "IMG_1.HEIC"}));
    EXPECT_EQ(found.paths.size(), 9u);
    EXPECT_EQ(found.result.filesFound, 9u);
    EXPECT_TRUE(found.result.skippedFolders.empty());
    EXPECT_FALSE(found.result.stopped);
}

TEST(FolderScanTest, AFinalSeparatorIsNotDoubled)
{
    ScratchFolder dir;
    WriteFile(dir / "a.bmp", "x");
    EXPECT_EQ(Scan(dir.Path() + "/").paths, std::vector<std::string>{dir / "a.bmp"});
}

TEST(FolderScanTest, SymbolicLinkLoopsEndAndNoFolderIsScannedTwice)
{
    ScratchFolder dir;
    ScratchFolder outside;
    WriteFile(dir / "top/sub/f.png", "x");
    WriteFile(outside / "o.gif", "x");
    fs::create_directory_symlink(dir / "top", dir / "top/sub/up");           // loop to an ancestor
    fs::create_directory_symlink(dir / "top/sub", dir / "top/again");       // a folder scanned anyway
    fs::create_directory_symlink(outside.Path(), dir / "top/elsewhere");    // only reachable by link
    fs::create_symlink(dir / "top/sub/f.png", dir / "top/link.png");       // link to a file
    fs::create_symlink(dir / "gone.png", dir / "top/broken.png");          // broken link
    const Found found = Scan(dir / "top");
    const std::set<std::string> paths = AsSet(found.paths);
    EXPECT_EQ(paths.size(), found.paths.size()) << "a file was reported twice";
    EXPECT_TRUE(paths.count(dir / "top/elsewhere/o.gif"));
    EXPECT_TRUE(paths.count(dir / "top/link.png"));
    EXPECT_TRUE(paths.count(dir / "top/broken.png"));
    EXPECT_EQ(std::count_if(found.paths.begin(), found.paths.end(),
                            [](const std::string& p) { return p.size() > 5 && p.substr(p.size() - 5) == "f.png"; }),
              1);
    EXPECT_EQ(found.paths.size(), 4u);
}

TEST(FolderScanTest, PipesAndDevicesAreNotPictures)
{
    ScratchFolder dir;
    ASSERT_EQ(::mkfifo((dir / "fifo.png").c_str(), 0600), 0);
    WriteFile(dir / "real.png", "x");
    EXPECT_EQ(Scan(dir.Path()).paths, std::vector<std::string>{dir / "real.png"});
}

TEST(FolderScanTest, AMissingFolderIsReportedAsSkipped)
{
    ScratchFolder dir;
    const Found found = Scan(dir / "missing");
    EXPECT_TRUE(found.paths.empty());
    ASSERT_EQ(found.result.skippedFolders.size(), 1u);
    EXPECT_NE(found.result.skippedFolders[0].find("missing"), std::string::npos);
}

TEST(FolderScanTest, AnUnreadableFolderIsSkippedAndTheScanGoesOn)
{
    ScratchFolder dir;
    WriteFile(dir / "a/1.png", "x");
    WriteFile(dir / "b/locked/2.png", "x");
    WriteFile(dir / "c/3.png", "x");
    fs::permissions(dir / "b/locked", fs::perms::none);
    fs::permissions(dir.Path(), fs::perms::all);
    WithPermissionBitsApplied([&] {
        const Found found = Scan(dir.Path());
        EXPECT_EQ(found.result.skippedFolders.size(), 1u);
        EXPECT_EQ(AsSet(found.paths), (std::set<std::string>{dir / "a/1.png", dir / "c/3.png"}));
    });
    fs::permissions(dir / "b/locked", fs::perms::owner_all);
}

TEST(FolderScanTest, PathsLongerThanTheSystemLimitAreFoundWhole)
{
    ScratchFolder dir;
    const std::string part(200, 'd');
    int fd = ::open(dir.Path().c_str(), O_RDONLY | O_DIRECTORY);
    std::string expected = dir.Path();
    for (int level = 0; level < 25; ++level) {
        ASSERT_EQ(::mkdirat(fd, part.c_str(), 0700), 0);
        const int next = ::openat(fd, part.c_str(), O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
        expected += "/" + part;
    }
    const int file = ::openat(fd, "deep.png", O_CREAT | O_WRONLY, 0600);
    ::close(file);
    ::close(fd);
    expected += "/deep.png";
    ASSERT_GT(expected.size(), 4096u);

    const Found found = Scan(dir.Path());
    EXPECT_EQ(found.paths, std::vector<std::string>{expected});
    EXPECT_TRUE(found.result.skippedFolders.empty());
    // remove_all cannot reach that deep by path either; step down and back.
    fd = ::open(dir.Path().c_str(), O_RDONLY | O_DIRECTORY);
    std::vector<int> chain{fd};
    for (int level = 0; level < 25; ++level)
        chain.push_back(::openat(chain.back(), part.c_str(), O_RDONLY | O_DIRECTORY));
    ::unlinkat(chain.back(), "deep.png", 0);
    for (int level = 25; level > 0; --level) {
        ::close(chain[level]);
        ::unlinkat(chain[level - 1], part.c_str(), AT_REMOVEDIR);
    }
    ::close(fd);
}

TEST(FolderScanTest, StopEndsTheScanEarly)
{
    ScratchFolder dir;
    for (int i = 0; i < 50; ++i)
        WriteFile(dir / ("d" + std::to_string(i) + "/x.png"), "x");
    std::vector<std::string> paths;
    FolderScan scan([&](const std::string& path) {
        paths.push_back(path);
        if (paths.size() == 3)
            scan.RequestStop();
    });
    const FolderScanResult result = scan.Run(dir.Path());
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(paths.size(), 3u);
}

}  // namespace
