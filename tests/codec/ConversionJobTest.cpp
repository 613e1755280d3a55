#include "InProcessJobs.h"
#include "ImageCodec.h"
#include "OutputFormat.h"
#include "ScratchFolder.h"
#include "TestPictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <tuple>
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

std::vector<std::uint8_t> Rgb8(Magick::Image picture)
{
    if (picture.colorSpace() != MagickCore::sRGBColorspace)
        picture.colorSpace(MagickCore::sRGBColorspace);
    std::vector<std::uint8_t> rgb(picture.columns() * picture.rows() * 3);
    picture.write(0, 0, picture.columns(), picture.rows(), "RGB", Magick::CharPixel, rgb.data());
    return rgb;
}

int LargestDifference(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b)
{
    int largest = a.size() == b.size() ? 0 : 256;
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        largest = std::max(largest, std::abs(int{a[i]} - int{b[i]}));
    return largest;
}

// lcms2's tificc (liblcms2-utils) is the independent engine, converting
// through the embedded profile into sRGB at perceptual intent; the profiles
// come with libgs-common.
TEST_F(ConversionJobTest, ColoursGoThroughTheEmbeddedProfileWhereTheOutputCannotKeepIt)
{
    const std::string profiles = "/usr/share/color/icc/ghostscript/";
    const auto tificc = [&](const std::string& args) {
        const std::string command = "cd '" + folder.Path() + "' && tificc " + args + " >/dev/null 2>&1";
        return std::system(command.c_str()) == 0;
    };
    Magick::Image patches(Magick::Geometry(48, 16), Magick::Color("white"));
    const char* colours[] = {"#e01010", "#10c020", "#2030d0", "#e0b090", "#808080", "#f0f020"};
    for (std::size_t x = 0; x < 48; ++x)
        for (std::size_t y = 0; y < 16; ++y)
            patches.pixelColor(x, y, Magick::Color(colours[x / 8]));
    patches.depth(8);
    patches.compressType(MagickCore::NoCompression);
    SavePicture(patches, "TIFF", folder.File("srgb.tif"));
    ASSERT_TRUE(tificc("-o" + profiles + "default_cmyk.icc -e srgb.tif cmyk.tif")) << "tificc: liblcms2-utils";

    // A CMYK JPEG with its profile; the reference converts its own CMYK pixels.
    Magick::Image cmyk = LoadPicture(folder.File("cmyk.tif"), "TIFF");
    ASSERT_EQ(cmyk.colorSpace(), MagickCore::CMYKColorspace);
    cmyk.quality(100);
    SavePicture(cmyk, "JPEG", folder.File("cmyk.jpg"));
    SavePicture(LoadPicture(folder.File("cmyk.jpg"), "JPEG"), "TIFF", folder.File("cmyk-jpeg.tif"));
    ASSERT_TRUE(tificc("-c0 cmyk-jpeg.tif cmyk-ref.tif"));  // exact, not a precalculated grid
    // Adobe RGB pixels tagged as such.
    Magick::Image adobe = patches;
    const std::vector<std::uint8_t> a98 = ReadAll(profiles + "a98.icc");
    adobe.iccColorProfile(Magick::Blob(a98.data(), a98.size()));
    SavePicture(adobe, "PNG", folder.File("adobe.png"));
    SavePicture(adobe, "TIFF", folder.File("adobe.tif"));
    ASSERT_TRUE(tificc("-c0 adobe.tif adobe-ref.tif"));

    const auto cmykRef = Rgb8(LoadPicture(folder.File("cmyk-ref.tif"), "TIFF"));
    const auto adobeRef = Rgb8(LoadPicture(folder.File("adobe-ref.tif"), "TIFF"));
    ASSERT_GT(LargestDifference(adobeRef, Rgb8(patches)), 10) << "Adobe RGB differs from sRGB";
    std::filesystem::create_directory(folder.File("c"));
    std::filesystem::create_directory(folder.File("a"));
    for (const auto& [input, out, reference] :
         {std::tuple{"cmyk.jpg", "c", &cmykRef}, std::tuple{"adobe.png", "a", &adobeRef}}) {
        const ConversionResult result = RunConversionJob(AllFormats(folder.File(input), folder.File(out)));
        ASSERT_TRUE(result.decoded) << result.decodeError;
        for (const auto& [name, magick] : {std::pair{"bmp", "BMP"}, std::pair{"tga", "TGA"}, std::pair{"pcx", "PCX"},
                                           std::pair{"png", "PNG"}, std::pair{"tif", "TIFF"}}) {
            SCOPED_TRACE(std::string(input) + " to " + name);
            const Magick::Image back = LoadPicture(folder.File(std::string(out) + "/out." + name), magick);
            // PNG and TIF keep an RGB input's profile and its pixels as they are.
            const bool keeps = std::string(input) == "adobe.png" && (std::string(name) == "png" || std::string(name) == "tif");
            EXPECT_LE(LargestDifference(Rgb8(back), keeps ? Rgb8(patches) : *reference), 2);
            EXPECT_EQ(back.iccColorProfile().length() > 0, keeps);
        }
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
