#include "TestPictures.h"

#include "ScratchFolder.h"

Magick::Image ColourPicture(std::size_t width, std::size_t height)
{
    Magick::Image picture;
    picture.size(Magick::Geometry(width, height));
    picture.read("gradient:red-blue");
    picture.depth(8);
    return picture;
}

Magick::Image GreyPicture(std::size_t width, std::size_t height)
{
    Magick::Image picture;
    picture.size(Magick::Geometry(width, height));
    picture.read("gradient:black-white");
    picture.colorSpace(MagickCore::GRAYColorspace);
    picture.depth(8);
    return picture;
}

Magick::Image HalfTransparentPicture(std::size_t width, std::size_t height)
{
    Magick::Image picture(Magick::Geometry(width, height), Magick::Color("red"));
    picture.matte(true);
    for (std::size_t y = 0; y < height; ++y) {
        for (std::size_t x = 0; x < width / 2; ++x)
            picture.pixelColor(x, y, Magick::Color("none"));
    }
    picture.depth(8);
    return picture;
}

void SavePicture(Magick::Image picture, const std::string& magick, const std::string& path)
{
    picture.magick(magick);
    Magick::Blob blob;
    picture.write(&blob);
    WriteFile(path, std::string(static_cast<const char*>(blob.data()), blob.length()));
}

void SaveJpegWithOrientation(const Magick::Image& picture, std::uint16_t orientation, const std::string& path)
{
    const unsigned char exif[] = {'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1, 0x01, 0x12, 0, 3, 0,
                                  0, 0, 1, 0, static_cast<unsigned char>(orientation), 0, 0, 0, 0, 0, 0};
    Magick::Image tagged(picture);
    tagged.exifProfile(Magick::Blob(exif, sizeof(exif)));
    // The JPEG writer keeps the tag in step with the picture's own orientation.
    tagged.orientation(static_cast<MagickCore::OrientationType>(orientation));
    SavePicture(tagged, "JPEG", path);
}

namespace {

void Put16(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

struct TiffEntry {
    std::uint16_t tag;
    std::uint16_t type;  // 1 byte, 2 text, 3 short, 4 long, 5 rational, 10 signed rational
    std::uint32_t count;
    std::vector<std::uint8_t> value;
};

}  // namespace

std::vector<std::uint8_t> MinimalDng(std::uint32_t width, std::uint32_t height)
{
    auto shorts = [&](std::initializer_list<std::uint32_t> values) {
        std::vector<std::uint8_t> bytes;
        for (std::uint32_t v : values)
            Put16(bytes, v);
        return bytes;
    };
    auto longs = [&](std::initializer_list<std::uint32_t> values) {
        std::vector<std::uint8_t> bytes;
        for (std::uint32_t v : values)
            Put32(bytes, v);
        return bytes;
    };
    auto text = [](const std::string& value) {
        std::vector<std::uint8_t> bytes(value.begin(), value.end());
        bytes.push_back(0);
        return bytes;
    };
    std::vector<std::uint8_t> pixels;
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            const bool red = y % 2 == 0 && x % 2 == 0;
            const bool blue = y % 2 == 1 && x % 2 == 1;
            Put16(pixels, red ? 4000 + x * 900 : blue ? 8000 - x * 100 : 3000 + y * 500);
        }
    }
    const std::vector<std::uint8_t> model = text("Tessaglyph Test");
    std::vector<TiffEntry> entries = {
        {254, 4, 1, longs({0})},
        {256, 4, 1, longs({width})},
        {257, 4, 1, longs({height})},
        {258, 3, 1, shorts({16})},
        {259, 3, 1, shorts({1})},
        {262, 3, 1, shorts({32803})},  // colour filter array
        {271, 2, 11, text("Tessaglyph")},
        {272, 2, static_cast<std::uint32_t>(model.size()), model},
        {273, 4, 1, longs({0})},  // strip offset, set below
        {274, 3, 1, shorts({1})},
        {277, 3, 1, shorts({1})},
        {278, 4, 1, longs({height})},
        {279, 4, 1, longs({static_cast<std::uint32_t>(pixels.size())})},
        {284, 3, 1, shorts({1})},
        {33421, 3, 2, shorts({2, 2})},
        {33422, 1, 4, {0, 1, 1, 2}},  // RGGB
        {50706, 1, 4, {1, 4, 0, 0}},  // DNG 1.4
        {50708, 2, static_cast<std::uint32_t>(model.size()), model},
        {50717, 4, 1, longs({65535})},
        {50721, 10, 9, longs({1, 1, 0, 1, 0, 1, 0, 1, 1, 1, 0, 1, 0, 1, 0, 1, 1, 1})},
        {50728, 5, 3, longs({1, 1, 1, 1, 1, 1})},
        {50778, 3, 1, shorts({21})},
    };
    const std::uint32_t directory = 8;
    const std::uint32_t extraStart = directory + 2 + 12 * static_cast<std::uint32_t>(entries.size()) + 4;
    std::uint32_t extraSize = 0;
    for (const TiffEntry& entry : entries) {
        if (entry.value.size() > 4)
            extraSize += static_cast<std::uint32_t>((entry.value.size() + 1) / 2 * 2);
    }
    const std::uint32_t pixelStart = extraStart + extraSize;
    entries[8].value = longs({pixelStart});

    std::vector<std::uint8_t> file = {'I', 'I', 42, 0};
    Put32(file, directory);
    Put16(file, static_cast<std::uint32_t>(entries.size()));
    std::vector<std::uint8_t> extra;
    for (const TiffEntry& entry : entries) {
        Put16(file, entry.tag);
        Put16(file, entry.type);
        Put32(file, entry.count);
        if (entry.value.size() <= 4) {
            std::vector<std::uint8_t> inline4 = entry.value;
            inline4.resize(4, 0);
            file.insert(file.end(), inline4.begin(), inline4.end());
        } else {
            Put32(file, extraStart + static_cast<std::uint32_t>(extra.size()));
            extra.insert(extra.end(), entry.value.begin(), entry.value.end());
            if (extra.size() % 2 != 0)
                extra.push_back(0);
        }
    }
    Put32(file, 0);
    file.insert(file.end(), extra.begin(), extra.end());
    file.insert(file.end(), pixels.begin(), pixels.end());
    return file;
}

Magick::Image LoadPicture(const std::string& path, const std::string& magick)
{
    const std::vector<std::uint8_t> bytes = ReadAll(path);
    Magick::Image picture;
    picture.quiet(true);
    picture.magick(magick);
    picture.read(Magick::Blob(bytes.data(), bytes.size()));
    return picture;
}

std::string PngSuiteFolder()
{
    return std::string(TESSAGLYPH_TESTDATA_DIR) + "/pngsuite";
}
