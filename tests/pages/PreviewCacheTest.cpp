#include "PreviewCache.h"

#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

namespace fs = std::filesystem;

namespace {

class PreviewCacheTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(WriteFile(m_file, "first")); }

    static PreviewRequest Request(const std::string& path, int width = 250, int height = 200)
    {
        return PreviewRequest{path, 4, width, height};
    }

    // Keeps a result for the file as it is now; returns it.
    std::shared_ptr<const PreviewResult> Keep(PreviewCache& cache, const PreviewRequest& request)
    {
        auto result = std::make_shared<PreviewResult>();
        result->pictureWidth = ++m_nMade;
        cache.Put(request, StampOf(request.path), result);
        return result;
    }

    std::shared_ptr<const PreviewResult> Find(PreviewCache& cache, const PreviewRequest& request)
    {
        return cache.Find(request, StampOf(request.path));
    }

    ScratchFolder m_folder;
    std::string m_file = m_folder / "a.png";
    std::uint32_t m_nMade = 0;
};

TEST_F(PreviewCacheTest, TheSamePictureAndAreaFindTheKeptPreview)
{
    PreviewCache cache;
    EXPECT_EQ(Find(cache, Request(m_file)), nullptr);
    const auto kept = Keep(cache, Request(m_file));
    EXPECT_EQ(Find(cache, Request(m_file)), kept);
    EXPECT_EQ(Find(cache, Request(m_file)), kept);
}

TEST_F(PreviewCacheTest, AChangedFileOrAreaFindsNothingAndReplacesTheStalePreview)
{
    PreviewCache cache;
    Keep(cache, Request(m_file));

    // Same size, only a newer modification time.
    WriteFile(m_file, "other");
    fs::last_write_time(m_file, fs::last_write_time(m_file) + std::chrono::seconds(5));
    EXPECT_EQ(Find(cache, Request(m_file)), nullptr);
    Keep(cache, Request(m_file));

    // A new size with the same time.
    const auto time = fs::last_write_time(m_file);
    WriteFile(m_file, "longer content");
    fs::last_write_time(m_file, time);
    EXPECT_EQ(Find(cache, Request(m_file)), nullptr);
    Keep(cache, Request(m_file));

    EXPECT_EQ(Find(cache, Request(m_file, 251, 200)), nullptr);
    EXPECT_EQ(Find(cache, Request(m_file, 250, 201)), nullptr);
    Keep(cache, Request(m_file, 251, 200));
    Keep(cache, Request(m_file, 251, 201));

    // The stale previews of this picture in this area were dropped.
    EXPECT_EQ(cache.Size(), 3u);
    EXPECT_EQ(Find(cache, Request(m_file))->pictureWidth, 3u);
}

TEST_F(PreviewCacheTest, KeepsTheMostRecentlyUsedWithinItsCapacity)
{
    const std::string b = m_folder / "b.png";
    const std::string c = m_folder / "c.png";
    PreviewCache cache(2);
    Keep(cache, Request(m_file));
    Keep(cache, Request(b));
    Find(cache, Request(m_file));  // a is now the most recent
    Keep(cache, Request(c));       // drops b
    EXPECT_NE(Find(cache, Request(m_file)), nullptr);
    EXPECT_EQ(Find(cache, Request(b)), nullptr);
    EXPECT_EQ(cache.Size(), 2u);

    cache.Clear();
    EXPECT_EQ(Find(cache, Request(m_file)), nullptr);
}

TEST(FileStampTest, TellsMissingFilesAndFolders)
{
    EXPECT_FALSE(StampOf("/nonexistent/tessaglyph/x.png").exists);
    EXPECT_FALSE(StampOf("").exists);
    const FileStamp folder = StampOf(fs::temp_directory_path().string());
    EXPECT_TRUE(folder.exists);
    EXPECT_EQ(folder.size, 0u);
}

}  // namespace
