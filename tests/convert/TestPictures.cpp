#include "TestPictures.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <unistd.h>

namespace {

// Memory-backed when the system has it: every save is flushed to the disk,
// and hundreds of flushes to a real disk would make the tests slow.
std::string TemporaryBase()
{
    if (::access("/dev/shm", W_OK) == 0)
        return "/dev/shm";
    const char* base = std::getenv("TMPDIR");
    return base != nullptr && *base != '\0' ? base : "/tmp";
}

}  // namespace

TempFolder::TempFolder()
{
    std::string pattern = TemporaryBase() + "/tessaglyph-test-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("no temporary folder");
    m_strPath = pattern;
}

TempFolder::~TempFolder()
{
    std::error_code error;
    // Read-only folders made by a test must not stop the clean-up.
    for (const auto& entry : std::filesystem::recursive_directory_iterator(m_strPath, error)) {
        if (entry.is_directory(error))
            std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all, error);
    }
    std::filesystem::remove_all(m_strPath, error);
}

std::string TempFolder::File(const std::string& name) const
{
    return m_strPath + "/" + name;
}

std::vector<std::string> TempFolder::Entries() const
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_strPath))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::uint8_t> ReadAll(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

void WriteAll(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                 static_cast<std::streamsize>(bytes.size()));
}

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
    std::ofstream(path, std::ios::binary).write(static_cast<const char*>(blob.data()),
                                                 static_cast<std::streamsize>(blob.length()));
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
