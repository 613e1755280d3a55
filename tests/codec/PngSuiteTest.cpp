#include "InProcessJobs.h"
#include "ImageCodec.h"
#include "OutputFormat.h"
#include "ScratchFolder.h"
#include "TestPictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// The suite names its files by what they test; the first letter is the
// family (b basic, c chunks, f filters, g gamma, s sizes, t transparency,
// z compression, ...). Files of family "x" are deliberately corrupt. One
// test per family keeps every file covered with few processes.
std::vector<std::string> FamilyFiles(char family)
{
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(PngSuiteFolder(), error)) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() == ".png" && name[0] == family)
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<char> Families()
{
    std::vector<char> families;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(PngSuiteFolder(), error)) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() == ".png" && name[0] != 'x' &&
            std::find(families.begin(), families.end(), name[0]) == families.end())
            families.push_back(name[0]);
    }
    std::sort(families.begin(), families.end());
    return families;
}

std::string FamilyName(const testing::TestParamInfo<char>& info)
{
    return std::string(1, info.param);
}

class PngSuiteTest : public testing::TestWithParam<char> {
protected:
    ScratchFolder folder;
};

TEST_P(PngSuiteTest, EveryFileConvertsToEveryFormatAndDecodesAgain)
{
    const std::vector<std::string> files = FamilyFiles(GetParam());
    ASSERT_FALSE(files.empty());
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        const std::string input = PngSuiteFolder() + "/" + file;
        const ImageCodec original(input, kTypePng);
        ASSERT_TRUE(original.IsValid()) << original.GetLastError();
        const std::uint32_t width = original.GetWidth();
        const std::uint32_t height = original.GetHeight();

        ConversionJob job{input, kTypePng, {}};
        for (const OutputFormat& format : OutputFormats())
            job.outputs.push_back({folder.File(file + format.extension), format.typeCode});
        const ConversionResult result = RunConversionJob(job);
        ASSERT_TRUE(result.decoded) << result.decodeError;

        for (const OutputResult& output : result.outputs) {
            ASSERT_TRUE(output.written) << output.path << ": " << output.reason;
            if (output.typeCode == kTypeRaw) {
                EXPECT_EQ(ReadAll(output.path).size(), std::size_t{width} * height * 3) << output.path;
                continue;
            }
            const ImageCodec back(output.path, output.typeCode);
            ASSERT_TRUE(back.IsValid()) << output.path << ": " << back.GetLastError();
            EXPECT_EQ(back.GetWidth(), width) << output.path;
            EXPECT_EQ(back.GetHeight(), height) << output.path;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Families, PngSuiteTest, testing::ValuesIn(Families()), FamilyName);

TEST(CorruptPngSuiteTest, EveryCorruptFileIsRefusedCleanly)
{
    ScratchFolder folder;
    const std::vector<std::string> files = FamilyFiles('x');
    ASSERT_FALSE(files.empty());
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        const std::string input = PngSuiteFolder() + "/" + file;
        const ImageCodec codec(input, kTypePng);
        EXPECT_FALSE(codec.IsValid());
        EXPECT_FALSE(codec.GetLastError().empty());

        const ConversionResult result = RunConversionJob(
            {input, kTypePng, {{folder.File("out.bmp"), kTypeBmp}, {folder.File("out.jpg"), kTypeJpg}}});
        EXPECT_FALSE(result.decoded);
        EXPECT_TRUE(folder.Entries().empty());
    }
}

}  // namespace
