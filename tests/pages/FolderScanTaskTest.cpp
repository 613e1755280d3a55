// The scan behind AddFolder on its own thread: findings handed over in
// batches, `done` after the last one, several folders, stop and destruction.
#include "FolderScanTask.h"

#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
namespace {

class FolderScanTaskTest : public testing::Test {
protected:
    std::string Touch(const std::string& name) const
    {
        const std::string path = m_dir / name;
        EXPECT_TRUE(WriteFile(path, "x")) << path;
        return path;
    }

    std::string Path(const std::string& name) const { return m_dir / name; }

    ScratchFolder m_dir;
};

TEST_F(FolderScanTaskTest, EveryFindingIsHandedOverOnceAndDoneComesAfterTheLast)
{
    std::vector<std::string> expected;
    for (int i = 0; i < 300; ++i)
        expected.push_back(Touch("d" + std::to_string(i % 7) + "/f" + std::to_string(i) + ".png"));
    Touch("d1/skip.txt");

    std::atomic<int> doneCalls{0};
    std::vector<std::string> taken;
    {
        FolderScanTask task({m_dir.Path()}, [&] { ++doneCalls; });
        // Taken while the scan runs, then the rest after its end.
        while (doneCalls.load() == 0) {
            const std::vector<std::string> batch = task.TakeFound();
            taken.insert(taken.end(), batch.begin(), batch.end());
        }
        const FolderScanResult result = task.Wait();
        EXPECT_EQ(result.filesFound, 300u);
        EXPECT_FALSE(result.stopped);
        const std::vector<std::string> rest = task.TakeFound();
        taken.insert(taken.end(), rest.begin(), rest.end());
        EXPECT_TRUE(task.TakeFound().empty());
    }
    EXPECT_EQ(doneCalls.load(), 1);
    std::sort(taken.begin(), taken.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(taken, expected);
}

TEST_F(FolderScanTaskTest, SeveralFoldersAreScannedInTurnAndTheirSkippedFoldersGathered)
{
    const std::string a = Touch("a/1.png");
    const std::string b = Touch("b/2.png");
    FolderScanTask task({Path("a"), Path("missing"), Path("b")});
    const FolderScanResult result = task.Wait();
    EXPECT_EQ(task.TakeFound(), (std::vector<std::string>{a, b}));
    ASSERT_EQ(result.skippedFolders.size(), 1u);
    EXPECT_EQ(result.skippedFolders[0].rfind(Path("missing") + ": ", 0), 0u);
}

TEST_F(FolderScanTaskTest, AStoppedOrDestroyedScanEndsSoonAndKeepsItsFindings)
{
    const auto start = std::chrono::steady_clock::now();
    {
        FolderScanTask task({"/", "/"});
        task.RequestStop();
        EXPECT_TRUE(task.Wait().stopped);
        for (const std::string& path : task.TakeFound())
            EXPECT_EQ(path.rfind("/", 0), 0u);
    }
    {
        FolderScanTask destroyedWhileRunning({"/"});
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

}  // namespace
