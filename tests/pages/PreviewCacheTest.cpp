#include "PreviewCache.h"

#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

class PreviewCacheTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(WriteFile(m_file, "first")); }

    PreviewRequest Request(const std::string& path, int width = 250, int height = 200) const
    {
        return PreviewRequest{path, 4, width, height};
    }

    // Renders a result that tells which call made it.
    PreviewCache::Renderer Counting()
    {
        return [this](const PreviewRequest& request) {
            m_requests.push_back(request);
            PreviewResult result;
            result.ok = true;
            result.pictureWidth = static_cast<std::uint32_t>(m_requests.size());
            return result;
        };
    }

    ScratchFolder m_folder;
    std::string m_file = m_folder / "a.png";
    std::vector<PreviewRequest> m_requests;
};

TEST_F(PreviewCacheTest, RepaintOfTheSamePictureAndAreaRendersOnce)
{
    PreviewCache cache(Counting());
    const auto first = cache.Get(Request(m_file));
    const auto again = cache.Get(Request(m_file));
    ASSERT_EQ(m_requests.size(), 1u);
    EXPECT_EQ(first, again);
    EXPECT_EQ(m_requests[0].path, m_file);
    EXPECT_EQ(m_requests[0].inputType, 4u);
    EXPECT_EQ(m_requests[0].areaWidth, 250);
    EXPECT_EQ(m_requests[0].areaHeight, 200);
    EXPECT_EQ(cache.Hits(), 1u);
    EXPECT_EQ(cache.Misses(), 1u);
}

TEST_F(PreviewCacheTest, ChangedFileOrAreaRendersAgain)
{
    PreviewCache cache(Counting());
    cache.Get(Request(m_file));

    // Same size, only a newer modification time.
    WriteFile(m_file, "other");
    fs::last_write_time(m_file, fs::last_write_time(m_file) + std::chrono::seconds(5));
    EXPECT_EQ(cache.Get(Request(m_file))->pictureWidth, 2u);

    // A new size with the same time.
    const auto time = fs::last_write_time(m_file);
    WriteFile(m_file, "longer content");
    fs::last_write_time(m_file, time);
    EXPECT_EQ(cache.Get(Request(m_file))->pictureWidth, 3u);

    EXPECT_EQ(cache.Get(Request(m_file, 251, 200))->pictureWidth, 4u);
    EXPECT_EQ(cache.Get(Request(m_file, 251, 201))->pictureWidth, 5u);

    // The stale previews of this picture in this area were dropped.
    EXPECT_EQ(cache.Size(), 3u);
    EXPECT_EQ(cache.Hits(), 0u);
}

TEST_F(PreviewCacheTest, FailuresAreKeptUntilTheFileAppearsOrChanges)
{
    const std::string missing = m_folder / "later.png";
    PreviewCache cache([this](const PreviewRequest& request) {
        m_requests.push_back(request);
        PreviewResult result;
        result.ok = fs::exists(request.path);
        return result;
    });
    EXPECT_FALSE(cache.Get(Request(missing))->ok);
    EXPECT_FALSE(cache.Get(Request(missing))->ok);
    EXPECT_EQ(m_requests.size(), 1u);

    WriteFile(missing, "now here");
    EXPECT_TRUE(cache.Get(Request(missing))->ok);
    EXPECT_EQ(m_requests.size(), 2u);
}

TEST_F(PreviewCacheTest, KeepsTheMostRecentlyUsedWithinItsCapacity)
{
    const std::string b = m_folder / "b.png";
    const std::string c = m_folder / "c.png";
    WriteFile(b, "b");
    WriteFile(c, "c");
    PreviewCache cache(Counting(), 2);
    cache.Get(Request(m_file));
    cache.Get(Request(b));
    cache.Get(Request(m_file));  // a is now the most recent
    cache.Get(Request(c));       // drops b
    EXPECT_EQ(m_requests.size(), 3u);
    cache.Get(Request(m_file));
    EXPECT_EQ(m_requests.size(), 3u);
    cache.Get(Request(b));
    EXPECT_EQ(m_requests.size(), 4u);
    EXPECT_EQ(cache.Size(), 2u);

    cache.Clear();
    cache.Get(Request(m_file));
    EXPECT_EQ(m_requests.size(), 5u);
}

TEST_F(PreviewCacheTest, WithoutRendererGivesAFailureNotACrash)
{
    PreviewCache cache(nullptr);
    const auto result = cache.Get(Request(m_file));
    ASSERT_NE(result, nullptr);
    EXPECT_FALSE(result->ok);
    EXPECT_FALSE(result->error.empty());
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
