#include "FolderBrowser.h"

#include "FakePrompts.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

struct OfferCase {
    const char* name;
    std::string initial;
    std::string offered;
};

class FolderBrowserOffer : public testing::TestWithParam<OfferCase> {};

TEST_P(FolderBrowserOffer, OffersTheInitialFolderWithoutOneFinalSeparator)
{
    FakePrompts prompts;
    std::string result = "kept";
    const std::string initial = GetParam().initial;
    FolderBrowser(prompts, result, initial);
    ASSERT_EQ(prompts.folderInitialFolders.size(), 1u);
    EXPECT_EQ(prompts.folderInitialFolders[0], GetParam().offered);
}

INSTANTIATE_TEST_SUITE_P(Paths, FolderBrowserOffer,
                         testing::Values(OfferCase{"FinalSeparator", "/home/user/out/", "/home/user/out"},
                                         OfferCase{"NoSeparator", "/home/user/out", "/home/user/out"},
                                         OfferCase{"TwoSeparators", "/home/user/out//", "/home/user/out/"},
                                         OfferCase{"Root", "/", "/"},
                                         OfferCase{"Empty", "", ""},
                                         OfferCase{"Relative", "relative/", "relative"}),
                         [](const testing::TestParamInfo<OfferCase>& each) { return std::string(each.param.name); });

TEST(FolderBrowserTest, CallersTextKeepsItsSeparatorWhenPassedAsBoth)
{
    FakePrompts prompts;
    std::string outDir = "/data/pictures/";
    EXPECT_FALSE(FolderBrowser(prompts, outDir, outDir));
    EXPECT_EQ(prompts.folderInitialFolders, std::vector<std::string>{"/data/pictures"});
    EXPECT_EQ(outDir, "/data/pictures/");
}

TEST(FolderBrowserTest, ConfirmedFolderGetsOneFinalSeparator)
{
    FakePrompts prompts;
    prompts.folderAnswers = {std::string("/srv/out"), std::string("/"), std::string("/srv/already/")};
    std::string result = "old";
    EXPECT_TRUE(FolderBrowser(prompts, result, ""));
    EXPECT_EQ(result, "/srv/out/");
    EXPECT_TRUE(FolderBrowser(prompts, result, result));
    EXPECT_EQ(result, "/");
    EXPECT_TRUE(FolderBrowser(prompts, result, result));
    EXPECT_EQ(result, "/srv/already/");
}

TEST(FolderBrowserTest, CancelReturnsFalseAndLeavesTheResult)
{
    FakePrompts prompts;
    prompts.folderAnswers = {std::nullopt};
    std::string result = "/typed/folder/";
    EXPECT_FALSE(FolderBrowser(prompts, result, "/elsewhere"));
    EXPECT_EQ(result, "/typed/folder/");
}

TEST(FolderBrowserTest, ConfirmedAnswerWithoutAPathLeavesTheResult)
{
    FakePrompts prompts;
    prompts.folderAnswers = {std::string()};
    std::string result = "/typed";
    EXPECT_TRUE(FolderBrowser(prompts, result, "/typed"));
    EXPECT_EQ(result, "/typed");
}

}  // namespace
