#include "InProcessJobs.h"
#include "ImageCodec.h"
#include "OutputFormat.h"
#include "ScratchFolder.h"
#include "TestPictures.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

ConversionJob AllFormats(const std::string& input, const std::string& folder)
{
    ConversionJob job{input, TypeFromPath(input), {}};
    for (const OutputFormat& format : OutputFormats())
        job.outputs.push_back({folder + "/out" + format.extension, format.typeCode});
    return job;
}

class ConversionJobTest : public testing::Test {
protected:
    ScratchFolder folder;
};

// Decoding once and copying must give exactly what decoding afresh for each
// format gives: nothing done for one format (JPG preparation, GIF colour
// reduction) may leak into the next.
TEST_F(ConversionJobTest, DecodingOnceEqualsDecodingPerFormat)
{
    Magick::Image picture = ColourPicture(120, 80);
    picture.composite(HalfTransparentPicture(60, 40), 0, 0, MagickCore::OverCompositeOp);
    SavePicture(picture, "PNG", folder.File("in.png"));
    std::filesystem::create_directory(folder.File("once"));
    std::filesystem::create_directory(folder.File("fresh"));

    const ConversionResult result = RunConversionJob(AllFormats(folder.File("in.png"), folder.File("once")));
    ASSERT_TRUE(result.decoded) << result.decodeError;

    for (const OutputFormat& format : OutputFormats()) {
        ImageCodec codec(folder.File("in.png"), kTypePng);
        if (format.typeCode == kTypeJpg) {
            if (!codec.IsGrayScale())
                codec.IncreaseBpp(24);
            codec.SetJpegQuality(90);
        }
        const std::string name = std::string("out") + format.extension;
        ASSERT_TRUE(codec.Save(folder.File("fresh/" + name), format.typeCode)) << name;
        const std::vector<std::uint8_t> once = ReadAll(folder.File("once/" + name));
        EXPECT_FALSE(once.empty()) << name;
        EXPECT_EQ(once, ReadAll(folder.File("fresh/" + name))) << name;
    }
}

TEST_F(ConversionJobTest, ReportsEveryOutputInRequestOrder)
{
    SavePicture(ColourPicture(30, 20), "PNG", folder.File("in.png"));
    const ConversionJob job{folder.File("in.png"), kTypePng,
                            {{folder.File("b.tga"), kTypeTga},
                             {folder.File("missing/a.bmp"), kTypeBmp},
                             {folder.File("c.gif"), kTypeGif}}};
    const ConversionResult result = RunConversionJob(job);
    ASSERT_TRUE(result.decoded);
    ASSERT_EQ(result.outputs.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(result.outputs[i].path, job.outputs[i].path);
        EXPECT_EQ(result.outputs[i].typeCode, job.outputs[i].typeCode);
    }
    EXPECT_TRUE(result.outputs[0].written);
    EXPECT_FALSE(result.outputs[1].written);
    EXPECT_EQ(result.outputs[1].reason, "the folder does not exist");
    EXPECT_TRUE(result.outputs[2].written);
    EXPECT_TRUE(result.outputs[2].reason.empty());
}

TEST_F(ConversionJobTest, NeverOverwritesTheInput)
{
    SavePicture(ColourPicture(30, 20), "PNG", folder.File("in.png"));
    const std::vector<std::uint8_t> original = ReadAll(folder.File("in.png"));
    std::filesystem::create_directory(folder.File("sub"));
    ASSERT_EQ(::symlink(folder.File("in.png").c_str(), folder.File("link.png").c_str()), 0);
    ASSERT_EQ(::link(folder.File("in.png").c_str(), folder.File("hard.png").c_str()), 0);

    for (const std::string& output : {folder.File("in.png"), folder.File("sub/../in.png"), folder.File("./in.png"),
                                      folder.File("link.png"), folder.File("hard.png")}) {
        const ConversionResult result = RunConversionJob({folder.File("in.png"), kTypePng, {{output, kTypePng}}});
        ASSERT_TRUE(result.decoded);
        EXPECT_FALSE(result.outputs[0].written) << output;
        EXPECT_EQ(result.outputs[0].reason, "it would replace the input picture") << output;
    }
    // Reaching the input through a link to its folder counts too.
    ASSERT_EQ(::symlink(folder.Path().c_str(), folder.File("again").c_str()), 0);
    const ConversionResult viaFolder =
        RunConversionJob({folder.File("again/in.png"), kTypePng, {{folder.File("in.png"), kTypeBmp}}});
    EXPECT_FALSE(viaFolder.outputs[0].written);
    EXPECT_EQ(ReadAll(folder.File("in.png")), original);
}

TEST_F(ConversionJobTest, InputThatDoesNotDecodeWritesNothing)
{
    WriteFile(folder.File("not-a-picture.png"), std::string("plain text, not a picture at all"));
    for (const std::string& input : {folder.File("not-a-picture.png"), folder.File("missing.png")}) {
        const ConversionResult result = RunConversionJob(AllFormats(input, folder.Path()));
        EXPECT_FALSE(result.decoded) << input;
        EXPECT_FALSE(result.decodeError.empty()) << input;
        ASSERT_EQ(result.outputs.size(), kOutputFormatCount);
        for (const OutputResult& output : result.outputs) {
            EXPECT_FALSE(output.written);
            EXPECT_FALSE(output.reason.empty());
        }
    }
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"not-a-picture.png"});
}

}  // namespace
