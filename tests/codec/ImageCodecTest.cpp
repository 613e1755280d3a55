#include "ImageCodec.h"
#include "OutputFormat.h"

#include "AddressSanitizer.h"
#include "ScratchFolder.h"
#include "TestPictures.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <tuple>
#include <utility>
#include <vector>

namespace {

// A PNG whose header declares width x height with a few bytes of data.
std::vector<std::uint8_t> BombPng(std::uint32_t width, std::uint32_t height)
{
    Magick::Image tiny(Magick::Geometry(1, 1), Magick::Color("black"));
    tiny.magick("PNG");
    Magick::Blob blob;
    tiny.write(&blob);
    std::vector<std::uint8_t> bytes(static_cast<const std::uint8_t*>(blob.data()),
                                    static_cast<const std::uint8_t*>(blob.data()) + blob.length());
    auto putBe32 = [&](std::size_t at, std::uint32_t value) {
        for (int i = 0; i < 4; ++i)
            bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
    };
    // IHDR: length at 8, "IHDR" at 12, width at 16, height at 20, CRC at 29.
    putBe32(16, width);
    putBe32(20, height);
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 12; i < 29; ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    putBe32(29, ~crc);
    return bytes;
}

// x265, libheif's HEIC encoder, leaks a block for every encoder it opens.
// The program never writes HEIC; the test writes its phone picture in a
// child process, so the leak leaves with the child and the leak checker
// needs no exception for it.
bool SavePictureInChild(const Magick::Image& picture, const std::string& magick, const std::string& path)
{
    const pid_t child = fork();
    if (child == 0) {
        try {
            SavePicture(picture, magick, path);
        } catch (...) {
            _exit(1);
        }
        _exit(0);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

class ImageCodecTest : public testing::Test {
protected:
    ScratchFolder folder;
};

// --- Reading trusts the bytes -------------------------------------------

TEST_F(ImageCodecTest, DecodesByContentWhateverTheName)
{
    SavePicture(ColourPicture(40, 30), "PNG", folder.File("png-named.jpg"));
    SavePicture(ColourPicture(41, 31), "JPEG", folder.File("photo.jpeg"));
    SavePicture(ColourPicture(42, 32), "WEBP", folder.File("web.webp"));
    SavePicture(ColourPicture(43, 33), "TGA", folder.File("targa.tga"));
    SavePicture(ColourPicture(44, 34), "PCX", folder.File("paint.pcx"));
    SavePicture(ColourPicture(45, 35), "TIFF", folder.File("no-extension"));
    struct Case {
        const char* name;
        std::uint32_t type;
        std::uint32_t width;
    };
    for (const Case& c : {Case{"png-named.jpg", kTypeJpg, 40}, Case{"photo.jpeg", kTypeUnknown, 41},
                          Case{"web.webp", kTypeUnknown, 42}, Case{"targa.tga", kTypeTga, 43},
                          Case{"paint.pcx", kTypePcx, 44}, Case{"no-extension", kTypeBmp, 45}}) {
        ImageCodec codec(folder.File(c.name), c.type);
        EXPECT_TRUE(codec.IsValid()) << c.name << ": " << codec.GetLastError();
        EXPECT_EQ(codec.GetWidth(), c.width) << c.name;
        EXPECT_EQ(codec.GetHeight(), c.width - 10) << c.name;
    }
}

TEST_F(ImageCodecTest, DecodesHeicPhotos)
{
    ASSERT_TRUE(SavePictureInChild(ColourPicture(46, 36), "HEIC", folder.File("phone.heic")));
    ImageCodec codec(folder.File("phone.heic"), kTypeUnknown);
    ASSERT_TRUE(codec.IsValid()) << codec.GetLastError();
    EXPECT_EQ(codec.GetWidth(), 46u);
    ASSERT_TRUE(codec.Save(folder.File("phone.jpg"), kTypeJpg));
    EXPECT_EQ(LoadPicture(folder.File("phone.jpg"), "JPEG").colorSpace(), MagickCore::sRGBColorspace);
}

TEST_F(ImageCodecTest, DevelopsCameraRawWithLibRawAndFallsBackToOtherFormats)
{
    WriteFile(folder.File("camera.raw"), MinimalDng(64, 48));
    ImageCodec raw(folder.File("camera.raw"), kTypeRaw);
    ASSERT_TRUE(raw.IsValid()) << raw.GetLastError();
    EXPECT_EQ(raw.GetWidth(), 64u);
    EXPECT_EQ(raw.GetHeight(), 48u);
    ASSERT_TRUE(raw.Save(folder.File("camera.png"), kTypePng));
    EXPECT_EQ(LoadPicture(folder.File("camera.png"), "PNG").columns(), 64u);

    // Half size is enough for a small drawing; such a picture is not saved.
    ImageCodec preview;
    ASSERT_TRUE(preview.LoadForDrawing(folder.File("camera.raw"), kTypeRaw, 16, 16));
    EXPECT_EQ(preview.GetWidth(), 64u);
    EXPECT_FALSE(preview.Save(folder.File("half.png"), kTypePng));

    // A .raw file that is no camera raw is read by its bytes.
    SavePicture(ColourPicture(20, 10), "PNG", folder.File("png-named.raw"));
    ImageCodec png(folder.File("png-named.raw"), kTypeRaw);
    EXPECT_TRUE(png.IsValid()) << png.GetLastError();
    EXPECT_EQ(png.GetWidth(), 20u);
}

TEST_F(ImageCodecTest, DevelopsCameraRawWhateverItsNameButReadsPlainTiffItself)
{
    WriteFile(folder.File("camera.raw"), MinimalDng(64, 48));
    ImageCodec named(folder.File("camera.raw"), kTypeRaw);
    ASSERT_TRUE(named.Save(folder.File("named.png"), kTypePng)) << named.GetLastError();
    for (const char* name : {"camera.DNG", "camera.nef", "camera"}) {
        WriteFile(folder.File(name), MinimalDng(64, 48));
        ImageCodec raw(folder.File(name), kTypeUnknown);
        ASSERT_TRUE(raw.Save(folder.File("raw.png"), kTypePng)) << name << ": " << raw.GetLastError();
        EXPECT_TRUE(ReadFile(folder.File("raw.png")) == ReadFile(folder.File("named.png")))
            << name << " was not developed like the .raw file";
    }

    // Two pages, the first red 30 x 20: LibRaw passes, ImageMagick takes page one.
    std::vector<Magick::Image> pages = {Magick::Image(Magick::Geometry(30, 20), Magick::Color("red")),
                                        Magick::Image(Magick::Geometry(50, 40), Magick::Color("blue"))};
    pages[0].magick("TIFF");
    Magick::Blob blob;
    Magick::writeImages(pages.begin(), pages.end(), &blob, true);
    const auto* data = static_cast<const std::uint8_t*>(blob.data());
    WriteFile(folder.File("pages.tif"), std::vector<std::uint8_t>(data, data + blob.length()));
    ImageCodec tiff(folder.File("pages.tif"), kTypeTif);
    ASSERT_TRUE(tiff.IsValid()) << tiff.GetLastError();
    EXPECT_EQ(tiff.GetWidth(), 30u);
    std::vector<std::uint8_t> rgba;
    ASSERT_TRUE(tiff.Draw(1, 1, rgba));
    EXPECT_EQ((std::vector<std::uint8_t>{rgba[0], rgba[1], rgba[2]}), (std::vector<std::uint8_t>{255, 0, 0}));
}

TEST_F(ImageCodecTest, TakesTheFirstFrameOfAnAnimation)
{
    std::vector<Magick::Image> frames;
    for (const char* colour : {"red", "lime", "blue", "yellow"}) {
        frames.emplace_back(Magick::Geometry(20, 10), Magick::Color(colour));
        frames.back().animationDelay(5);
        frames.back().magick("GIF");
        // Already a palette, so the GIF writer skips its costly dithering.
        frames.back().quantizeDither(false);
        frames.back().quantize();
    }
    Magick::Blob blob;
    Magick::writeImages(frames.begin(), frames.end(), &blob, true);
    const auto* data = static_cast<const std::uint8_t*>(blob.data());
    WriteFile(folder.File("anim.gif"), std::vector<std::uint8_t>(data, data + blob.length()));

    ImageCodec codec(folder.File("anim.gif"), kTypeGif);
    ASSERT_TRUE(codec.IsValid()) << codec.GetLastError();
    std::vector<std::uint8_t> rgba;
    ASSERT_TRUE(codec.Draw(20, 10, rgba));
    EXPECT_EQ(rgba[0], 255);  // red, the first frame
    EXPECT_EQ(rgba[1], 0);
    ASSERT_TRUE(codec.Save(folder.File("out.png"), kTypePng));
    EXPECT_EQ(LoadPicture(folder.File("out.png"), "PNG").columns(), 20u);
}

TEST_F(ImageCodecTest, TurnsThePictureUprightByItsExifOrientation)
{
    // Orientation 6: stored landscape, shown turned a quarter clockwise.
    SaveJpegWithOrientation(ColourPicture(60, 40), 6, folder.File("turned.jpg"));
    ImageCodec codec(folder.File("turned.jpg"), kTypeJpg);
    ASSERT_TRUE(codec.IsValid()) << codec.GetLastError();
    EXPECT_EQ(codec.GetWidth(), 40u);
    EXPECT_EQ(codec.GetHeight(), 60u);

    // The outputs must not be turned a second time by a viewer.
    for (const auto& [name, type, magick] : {std::tuple{"out.jpg", kTypeJpg, "JPEG"},
                                             std::tuple{"out.png", kTypePng, "PNG"}}) {
        ASSERT_TRUE(codec.Save(folder.File(name), type)) << codec.GetLastError();
        const Magick::Image back = LoadPicture(folder.File(name), magick);
        EXPECT_EQ(back.columns(), 40u) << name;
        EXPECT_EQ(back.rows(), 60u) << name;
        EXPECT_TRUE(back.orientation() == MagickCore::UndefinedOrientation ||
                    back.orientation() == MagickCore::TopLeftOrientation)
            << name << " orientation " << back.orientation();
    }
}

TEST_F(ImageCodecTest, ReadsPathsThatImageMagickWouldInterpret)
{
    for (const char* name : {"pic [0].png", "pic%d.png", "~pic.png", "msl:pic.png", "png:pic", "pic*?.png"}) {
        SavePicture(ColourPicture(12, 8), "PNG", folder.File(name));
        ImageCodec codec(folder.File(name), TypeFromPath(name));
        EXPECT_TRUE(codec.IsValid()) << name << ": " << codec.GetLastError();
        EXPECT_EQ(codec.GetWidth(), 12u) << name;
        EXPECT_TRUE(codec.Save(folder.File(std::string(name) + " out.bmp"), kTypeBmp)) << name;
    }
}

// --- Refusing what is not a picture --------------------------------------

TEST_F(ImageCodecTest, RefusesScriptsDrawingsAndTextWithAReason)
{
    const std::string secret = folder.File("secret.png");
    SavePicture(ColourPicture(8, 8), "PNG", secret);
    const std::vector<std::pair<std::string, std::string>> files = {
        {"drawing.svg", "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" height=\"10\"><image href=\"" +
                            secret + "\"/></svg>"},
        {"drawing.png", "push graphic-context\nviewbox 0 0 10 10\nimage over 0,0 10,10 '" + secret + "'\n"},
        {"msl.png", "<?xml version=\"1.0\"?><image><read filename=\"" + secret + "\"/></image>"},
        {"text.txt", "just some text, long enough to look like anything at all"},
        {"page.ps", "%!PS-Adobe-3.0\n/Times findfont 12 scalefont setfont\n"},
    };
    for (const auto& [name, content] : files) {
        WriteFile(folder.File(name), content);
        ImageCodec codec(folder.File(name), TypeFromPath(name));
        EXPECT_FALSE(codec.IsValid()) << name;
        EXPECT_EQ(codec.GetWidth(), 0u) << name;
        EXPECT_EQ(codec.GetLastError(), "it is not a picture format this program reads") << name;
    }
}

TEST_F(ImageCodecTest, LooksAtTheFirstBytesBeforeReadingAHugeFile)
{
    if (kUnderAddressSanitizer)
        GTEST_SKIP() << "AddressSanitizer's shadow memory counts against any data limit";
    // 512 MiB of zeros with a picture's name, read where only 256 MiB more
    // may be taken: only its first bytes may be read to refuse it.
    const std::string path = folder.File("zeros.png");
    ASSERT_TRUE(WriteFile(path, std::string(1, '\0')));
    ASSERT_EQ(truncate(path.c_str(), std::int64_t{512} << 20), 0);
    const pid_t child = fork();
    if (child == 0) {
        std::ifstream status("/proc/self/status");
        std::string line;
        std::uint64_t dataKiB = 0;
        while (std::getline(status, line)) {
            if (line.rfind("VmData:", 0) == 0)
                dataKiB = std::stoull(line.substr(7));
        }
        const rlimit limit{(dataKiB << 10) + (std::uint64_t{256} << 20), RLIM_INFINITY};
        const bool capped = dataKiB > 0 && setrlimit(RLIMIT_DATA, &limit) == 0;
        ImageCodec codec(path, kTypePng);
        _exit(capped && codec.GetLastError() == "it is not a picture format this program reads" ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST_F(ImageCodecTest, RefusesMissingEmptyAndSpecialFiles)
{
    WriteFile(folder.File("empty.png"), std::string());
    ASSERT_EQ(::mkfifo(folder.File("pipe.png").c_str(), 0600), 0);
    struct Case {
        std::string path;
        std::string reason;
    };
    for (const Case& c : {Case{folder.File("missing.png"), "the file does not exist"},
                          Case{folder.File("empty.png"), "the file is empty"},
                          Case{folder.Path(), "it is a folder, not a file"},
                          Case{folder.File("pipe.png"), "it is not a regular file"}, Case{"", "no file was given"}}) {
        ImageCodec codec(c.path, kTypePng);
        EXPECT_FALSE(codec.IsValid()) << c.path;
        EXPECT_EQ(codec.GetLastError(), c.reason) << c.path;
    }
}

TEST_F(ImageCodecTest, RefusesWhatGivesNoPictureAndNamesTheDamageOfWhatDoes)
{
    SavePicture(ColourPicture(64, 64), "PNG", folder.File("whole.png"));
    std::vector<std::uint8_t> bytes = ReadAll(folder.File("whole.png"));
    bytes.resize(bytes.size() / 2);
    WriteFile(folder.File("half.png"), bytes);
    ImageCodec png(folder.File("half.png"), kTypePng);
    EXPECT_FALSE(png.IsValid());
    EXPECT_NE(png.GetLastError().find("cannot be decoded"), std::string::npos) << png.GetLastError();

    // libjpeg only warns about a JPEG cut short and gives the rows it has,
    // as every viewer shows them.
    Magick::Image noisy = ColourPicture(64, 64);
    noisy.addNoise(MagickCore::GaussianNoise);
    SavePicture(noisy, "JPEG", folder.File("whole.jpg"));
    bytes = ReadAll(folder.File("whole.jpg"));
    bytes.resize(bytes.size() * 3 / 4);
    WriteFile(folder.File("cut.jpg"), bytes);
    ImageCodec jpeg(folder.File("cut.jpg"), kTypeJpg);
    EXPECT_TRUE(jpeg.IsValid()) << jpeg.GetLastError();
    EXPECT_EQ(jpeg.GetWidth(), 64u);
    EXPECT_EQ(jpeg.GetDamage(), "premature end of JPEG file");
    EXPECT_EQ(ImageCodec(folder.File("whole.jpg"), kTypeJpg).GetDamage(), "");

    // ImageMagick raises an error for these BMPs, yet gives the whole
    // picture: a wrong file size field, a trailing byte.
    SavePicture(ColourPicture(30, 20), "BMP3", folder.File("whole.bmp"));
    bytes = ReadAll(folder.File("whole.bmp"));
    bytes[2] ^= 0x40;
    WriteFile(folder.File("size-field.bmp"), bytes);
    bytes[2] ^= 0x40;
    bytes.push_back(0);
    WriteFile(folder.File("trailing.bmp"), bytes);
    for (const char* name : {"size-field.bmp", "trailing.bmp"}) {
        ImageCodec bmp(folder.File(name), kTypeBmp);
        EXPECT_TRUE(bmp.IsValid()) << name << ": " << bmp.GetLastError();
        EXPECT_EQ(bmp.GetDamage(), "") << name;
    }
}

TEST_F(ImageCodecTest, RefusesDecompressionBombsBeforeDecoding)
{
    // Within ImageMagick's side limits but over the pixel limit, and far over both.
    for (const auto& [width, height] : {std::pair{15000u, 15000u}, std::pair{100000u, 100000u}}) {
        const std::string path = folder.File("bomb" + std::to_string(width) + ".png");
        WriteFile(path, BombPng(width, height));
        ImageCodec codec(path, kTypePng);
        EXPECT_FALSE(codec.IsValid()) << width;
        EXPECT_FALSE(codec.GetLastError().empty());
    }
    ImageCodec codec(folder.File("bomb15000.png"), kTypePng);
    EXPECT_EQ(codec.GetLastError(), "the picture is too large (15000 x 15000 pixels)");
}

// --- What each output format receives -------------------------------------

TEST_F(ImageCodecTest, WritesGreyPicturesAsOneChannelJpeg)
{
    SavePicture(GreyPicture(32, 32), "PNG", folder.File("grey.png"));
    ImageCodec codec(folder.File("grey.png"), kTypePng);
    ASSERT_TRUE(codec.IsGrayScale());
    codec.SetJpegQuality(90);
    ASSERT_TRUE(codec.Save(folder.File("grey.jpg"), kTypeJpg)) << codec.GetLastError();
    EXPECT_EQ(LoadPicture(folder.File("grey.jpg"), "JPEG").colorSpace(), MagickCore::GRAYColorspace);

    // IncreaseBpp(24) asks for true colour, even for grey pixels.
    ASSERT_TRUE(codec.IncreaseBpp(24));
    ASSERT_TRUE(codec.Save(folder.File("colour.jpg"), kTypeJpg));
    EXPECT_EQ(LoadPicture(folder.File("colour.jpg"), "JPEG").colorSpace(), MagickCore::sRGBColorspace);
}

TEST_F(ImageCodecTest, TellsColourFromGrey)
{
    SavePicture(ColourPicture(16, 16), "PNG", folder.File("colour.png"));
    // Grey pixels stored as RGB count as grey.
    Magick::Image rgbGrey(Magick::Geometry(16, 16), Magick::Color("gray40"));
    rgbGrey.type(MagickCore::TrueColorType);
    SavePicture(rgbGrey, "BMP3", folder.File("rgb-grey.bmp"));
    EXPECT_FALSE(ImageCodec(folder.File("colour.png"), kTypePng).IsGrayScale());
    EXPECT_TRUE(ImageCodec(folder.File("rgb-grey.bmp"), kTypeBmp).IsGrayScale());
    EXPECT_FALSE(ImageCodec().IsGrayScale());
}

TEST_F(ImageCodecTest, FlattensTransparencyOntoWhiteForJpegAndRaw)
{
    SavePicture(HalfTransparentPicture(20, 10), "PNG", folder.File("alpha.png"));
    ImageCodec codec(folder.File("alpha.png"), kTypePng);
    ASSERT_TRUE(codec.IsValid());
    ASSERT_TRUE(codec.Save(folder.File("alpha.jpg"), kTypeJpg));
    ASSERT_TRUE(codec.Save(folder.File("alpha.raw"), kTypeRaw));

    const Magick::ColorRGB jpegLeft = LoadPicture(folder.File("alpha.jpg"), "JPEG").pixelColor(2, 5);
    EXPECT_GT(jpegLeft.red(), 0.95);
    EXPECT_GT(jpegLeft.green(), 0.95);
    EXPECT_GT(jpegLeft.blue(), 0.95);

    const std::vector<std::uint8_t> raw = ReadAll(folder.File("alpha.raw"));
    ASSERT_EQ(raw.size(), 20u * 10u * 3u);
    const std::size_t left = (5 * 20 + 2) * 3;
    const std::size_t right = (5 * 20 + 17) * 3;
    EXPECT_EQ(std::vector<std::uint8_t>(raw.begin() + left, raw.begin() + left + 3),
              (std::vector<std::uint8_t>{255, 255, 255}));
    EXPECT_EQ(std::vector<std::uint8_t>(raw.begin() + right, raw.begin() + right + 3),
              (std::vector<std::uint8_t>{255, 0, 0}));

    // PNG keeps the transparency, GIF as all or nothing.
    ASSERT_TRUE(codec.Save(folder.File("alpha-out.png"), kTypePng));
    EXPECT_TRUE(LoadPicture(folder.File("alpha-out.png"), "PNG").matte());
    ASSERT_TRUE(codec.Save(folder.File("alpha-out.gif"), kTypeGif));
    std::vector<std::uint8_t> gif;
    ASSERT_TRUE(ImageCodec(folder.File("alpha-out.gif"), kTypeGif).Draw(20, 10, gif));
    EXPECT_EQ(gif[left / 3 * 4 + 3], 0);
    EXPECT_EQ(std::vector<std::uint8_t>(gif.begin() + right / 3 * 4, gif.begin() + right / 3 * 4 + 4),
              (std::vector<std::uint8_t>{255, 0, 0, 255}));
}

TEST_F(ImageCodecTest, WritesSixteenBitPicturesIntoEightBitFormats)
{
    Magick::Image deep(Magick::Geometry(16, 8), Magick::Color("#ffff80000000"));  // 16-bit orange-red
    deep.depth(16);
    SavePicture(deep, "PNG", folder.File("deep.png"));
    ImageCodec codec(folder.File("deep.png"), kTypePng);
    ASSERT_TRUE(codec.IsValid());

    ASSERT_TRUE(codec.Save(folder.File("deep.raw"), kTypeRaw));
    const std::vector<std::uint8_t> raw = ReadAll(folder.File("deep.raw"));
    ASSERT_EQ(raw.size(), 16u * 8u * 3u);
    EXPECT_EQ(raw[0], 255);
    EXPECT_EQ(raw[1], 128);
    EXPECT_EQ(raw[2], 0);

    for (const auto& [name, type, magick] :
         {std::tuple{"deep.bmp", kTypeBmp, "BMP"}, std::tuple{"deep.tga", kTypeTga, "TGA"},
          std::tuple{"deep.pcx", kTypePcx, "PCX"}, std::tuple{"deep.gif", kTypeGif, "GIF"}}) {
        ASSERT_TRUE(codec.Save(folder.File(name), type)) << name;
        const Magick::Image back = LoadPicture(folder.File(name), magick);
        EXPECT_EQ(back.depth(), 8u) << name;
        const Magick::ColorRGB pixel = back.pixelColor(3, 3);
        EXPECT_NEAR(pixel.red(), 1.0, 0.01) << name;
        EXPECT_NEAR(pixel.green(), 0.5, 0.01) << name;
        EXPECT_NEAR(pixel.blue(), 0.0, 0.01) << name;
    }
}

TEST_F(ImageCodecTest, FitsIconsInto256KeepingProportions)
{
    SavePicture(ColourPicture(1000, 400), "PNG", folder.File("wide.png"));
    ImageCodec codec(folder.File("wide.png"), kTypePng);
    ASSERT_TRUE(codec.Save(folder.File("wide.ico"), kTypeIco)) << codec.GetLastError();
    const Magick::Image icon = LoadPicture(folder.File("wide.ico"), "ICO");
    EXPECT_EQ(icon.columns(), 256u);
    EXPECT_EQ(icon.rows(), 102u);
    // The picture held keeps its size.
    EXPECT_EQ(codec.GetWidth(), 1000u);
}

TEST_F(ImageCodecTest, GifSaveLeavesThePictureHeldUnchanged)
{
    SavePicture(ColourPicture(300, 200), "PNG", folder.File("many-colours.png"));
    ImageCodec codec(folder.File("many-colours.png"), kTypePng);
    ASSERT_TRUE(codec.Save(folder.File("before.png"), kTypePng));
    ASSERT_TRUE(codec.Save(folder.File("reduced.gif"), kTypeGif));
    EXPECT_LE(LoadPicture(folder.File("reduced.gif"), "GIF").totalColors(), 256u);
    ASSERT_TRUE(codec.Save(folder.File("after.png"), kTypePng));
    EXPECT_EQ(ReadAll(folder.File("before.png")), ReadAll(folder.File("after.png")));
}

TEST_F(ImageCodecTest, GifKeepsUpTo256ColoursExactly)
{
    // PPM: read back as true colour, so the colours must be found, not given.
    SavePicture(ColourPicture(8, 200), "PPM", folder.File("few-colours.ppm"));  // 200 rows, 200 colours
    ImageCodec codec(folder.File("few-colours.ppm"), kTypeUnknown);
    ASSERT_TRUE(codec.Save(folder.File("few-colours.gif"), kTypeGif)) << codec.GetLastError();
    Magick::Image original = LoadPicture(folder.File("few-colours.ppm"), "PPM");
    const Magick::Image gif = LoadPicture(folder.File("few-colours.gif"), "GIF");
    EXPECT_EQ(original.classType(), MagickCore::DirectClass);
    EXPECT_EQ(original.totalColors(), 200u);
    EXPECT_EQ(original.compare(gif, MagickCore::AbsoluteErrorMetric), 0.0);
}

// TIFF compression follows the content, never the input file: a JPEG
// inside a TIFF would make every TIFF output lossy.
TEST_F(ImageCodecTest, ChoosesTiffCompressionByContent)
{
    Magick::Image photo = ColourPicture(600, 600);
    photo.addNoise(MagickCore::GaussianNoise);
    photo.compressType(MagickCore::JPEGCompression);
    SavePicture(photo, "TIFF", folder.File("photo.tif"));
    Magick::Image drawing = ColourPicture(600, 600);
    drawing.compressType(MagickCore::NoCompression);
    SavePicture(drawing, "TIFF", folder.File("drawing.tif"));

    for (const auto& [input, expected] : {std::pair{"photo.tif", MagickCore::NoCompression},
                                          std::pair{"drawing.tif", MagickCore::ZipCompression}}) {
        ImageCodec codec(folder.File(input), kTypeTif);
        ASSERT_TRUE(codec.Save(folder.File(std::string("out-") + input), kTypeTif)) << input;
        EXPECT_EQ(LoadPicture(folder.File(std::string("out-") + input), "TIFF").compressType(), expected) << input;
    }
}

// --- Saving safely -------------------------------------------------------

TEST_F(ImageCodecTest, SaveFailsWithAReasonAndLeavesNoFile)
{
    SavePicture(ColourPicture(16, 16), "PNG", folder.File("in.png"));
    ImageCodec codec(folder.File("in.png"), kTypePng);
    EXPECT_FALSE(codec.Save(folder.File("missing/out.bmp"), kTypeBmp));
    EXPECT_EQ(codec.GetLastError(), "the folder does not exist");
    EXPECT_FALSE(codec.Save(folder.File("out.xyz"), kTypeUnknown));
    EXPECT_EQ(codec.GetLastError(), "the output format is unknown");
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"in.png"});

    ImageCodec empty;
    EXPECT_FALSE(empty.Save(folder.File("empty.bmp"), kTypeBmp));
    EXPECT_EQ(empty.GetLastError(), "there is no picture to save");
}

TEST_F(ImageCodecTest, ReplacesAnExistingOutput)
{
    SavePicture(ColourPicture(16, 16), "PNG", folder.File("in.png"));
    WriteFile(folder.File("out.bmp"), std::string("old"));
    ImageCodec codec(folder.File("in.png"), kTypePng);
    ASSERT_TRUE(codec.Save(folder.File("out.bmp"), kTypeBmp));
    EXPECT_EQ(LoadPicture(folder.File("out.bmp"), "BMP").columns(), 16u);
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"in.png", "out.bmp"}));
}

// --- Drawing, copies, release ---------------------------------------------

TEST_F(ImageCodecTest, DrawsScaledRgbaWithTransparency)
{
    SavePicture(HalfTransparentPicture(200, 100), "PNG", folder.File("alpha.png"));
    ImageCodec codec(folder.File("alpha.png"), kTypePng);
    std::vector<std::uint8_t> rgba;
    ASSERT_TRUE(codec.Draw(40, 20, rgba));
    ASSERT_EQ(rgba.size(), 40u * 20u * 4u);
    const std::size_t left = (10 * 40 + 2) * 4;
    const std::size_t right = (10 * 40 + 37) * 4;
    EXPECT_EQ(rgba[left + 3], 0);
    EXPECT_EQ(std::vector<std::uint8_t>(rgba.begin() + right, rgba.begin() + right + 4),
              (std::vector<std::uint8_t>{255, 0, 0, 255}));

    EXPECT_FALSE(codec.Draw(0, 20, rgba));
    EXPECT_TRUE(rgba.empty());
    EXPECT_FALSE(ImageCodec().Draw(10, 10, rgba));
}

TEST_F(ImageCodecTest, ClonesAreIndependentOfTheirSource)
{
    SavePicture(HalfTransparentPicture(20, 10), "PNG", folder.File("alpha.png"));
    ImageCodec codec(folder.File("alpha.png"), kTypePng);
    for (bool deep : {false, true}) {
        ImageCodec copy = deep ? codec.DeepClone() : codec.Clone();
        ASSERT_TRUE(copy.IsValid());
        ASSERT_TRUE(copy.IncreaseBpp(24));  // flattens the copy onto white
        std::vector<std::uint8_t> original;
        std::vector<std::uint8_t> flattened;
        ASSERT_TRUE(codec.Draw(20, 10, original));
        ASSERT_TRUE(copy.Draw(20, 10, flattened));
        EXPECT_EQ(original[3], 0) << deep;
        EXPECT_EQ(flattened[3], 255) << deep;
    }
    EXPECT_FALSE(ImageCodec().Clone().IsValid());
    EXPECT_FALSE(ImageCodec().DeepClone().IsValid());
}

TEST_F(ImageCodecTest, EmptyAndReleasedObjectsReportNothing)
{
    SavePicture(ColourPicture(16, 16), "PNG", folder.File("in.png"));
    ImageCodec codec;
    EXPECT_FALSE(codec.IsValid());
    EXPECT_EQ(codec.GetWidth(), 0u);
    EXPECT_EQ(codec.GetHeight(), 0u);
    ASSERT_TRUE(codec.Load(folder.File("in.png"), kTypePng));
    EXPECT_TRUE(codec.Destroy());
    EXPECT_FALSE(codec.IsValid());
    EXPECT_EQ(codec.GetWidth(), 0u);
    // A failed load empties an object that held a picture.
    ASSERT_TRUE(codec.Load(folder.File("in.png"), kTypePng));
    EXPECT_FALSE(codec.Load(folder.File("missing.png"), kTypePng));
    EXPECT_EQ(codec.GetWidth(), 0u);
}

}  // namespace
