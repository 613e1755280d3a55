#pragma once

#include <Magick++.h>

#include <cstdint>
#include <string>
#include <vector>

// A folder of its own under the system's temporary folder, removed with
// everything in it when the object goes.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return m_strPath; }
    // The folder joined with a file name.
    std::string File(const std::string& name) const;
    // The names of the entries in the folder, hidden ones included, sorted.
    std::vector<std::string> Entries() const;

private:
    std::string m_strPath;
};

std::vector<std::uint8_t> ReadAll(const std::string& path);
void WriteAll(const std::string& path, const std::string& bytes);
void WriteAll(const std::string& path, const std::vector<std::uint8_t>& bytes);

// Test pictures, made with Magick++ and written through a blob, so the name
// of the file never matters to ImageMagick.
Magick::Image ColourPicture(std::size_t width, std::size_t height);  // a red-to-blue gradient
Magick::Image GreyPicture(std::size_t width, std::size_t height);
// Left half fully transparent, right half opaque red.
Magick::Image HalfTransparentPicture(std::size_t width, std::size_t height);
void SavePicture(Magick::Image picture, const std::string& magick, const std::string& path);

// A minimal camera raw file: an uncompressed 16-bit RGGB mosaic in a DNG.
std::vector<std::uint8_t> MinimalDng(std::uint32_t width, std::uint32_t height);

// Decodes a file the tests wrote, through a blob with an explicit coder.
Magick::Image LoadPicture(const std::string& path, const std::string& magick);

std::string PngSuiteFolder();
