#include "FormatSniffer.h"

#include "OutputFormat.h"

#include <cstring>

namespace {

bool StartsWith(const std::uint8_t* data, std::size_t size, const char* magic, std::size_t length)
{
    return size >= length && std::memcmp(data, magic, length) == 0;
}

std::uint32_t ReadLe16(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8;
}

std::uint32_t ReadLe32(const std::uint8_t* p)
{
    return ReadLe16(p) | ReadLe16(p + 2) << 16;
}

// "BM" alone matches plain text; the info header size narrows it down.
bool IsBmp(const std::uint8_t* data, std::size_t size)
{
    if (size < 18 || data[0] != 'B' || data[1] != 'M')
        return false;
    switch (ReadLe32(data + 14)) {
    case 12: case 40: case 52: case 56: case 64: case 108: case 124:
        return true;
    default:
        return false;
    }
}

// Icons and cursors share a 6-byte header; the directory must fit the file.
// An uncompressed TGA can start with the same four bytes but has no
// directory count there.
bool IsIconDirectory(const std::uint8_t* data, std::size_t size)
{
    if (size < 22 || data[0] != 0 || data[1] != 0 || (data[2] != 1 && data[2] != 2) || data[3] != 0)
        return false;
    const std::uint32_t count = ReadLe16(data + 4);
    if (count == 0 || 6 + 16 * static_cast<std::size_t>(count) > size)
        return false;
    const std::uint32_t firstOffset = ReadLe32(data + 6 + 12);
    return firstOffset >= 6 + 16 * count && firstOffset < size;
}

bool IsPcx(const std::uint8_t* data, std::size_t size)
{
    if (size < 128 || data[0] != 0x0A)
        return false;
    const bool version = data[1] == 0 || data[1] == 2 || data[1] == 3 || data[1] == 4 || data[1] == 5;
    const bool encoding = data[2] == 0 || data[2] == 1;
    const bool bits = data[3] == 1 || data[3] == 2 || data[3] == 4 || data[3] == 8;
    return version && encoding && bits;
}

// Netpbm: "P1" to "P7" followed by white space.
bool IsPnm(const std::uint8_t* data, std::size_t size)
{
    if (size < 3 || data[0] != 'P' || data[1] < '1' || data[1] > '7')
        return false;
    const std::uint8_t c = data[2];
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// HEIF stills from phones and cameras; other ISO media (video, AVIF) are left out.
bool IsHeic(const std::uint8_t* data, std::size_t size)
{
    if (size < 16 || std::memcmp(data + 4, "ftyp", 4) != 0)
        return false;
    const std::uint32_t boxSize = static_cast<std::uint32_t>(data[0]) << 24 | static_cast<std::uint32_t>(data[1]) << 16 |
                                  static_cast<std::uint32_t>(data[2]) << 8 | data[3];
    auto isHeicBrand = [](const std::uint8_t* brand) {
        for (const char* b : {"heic", "heix", "heim", "heis", "hevc", "hevx"}) {
            if (std::memcmp(brand, b, 4) == 0)
                return true;
        }
        return false;
    };
    if (isHeicBrand(data + 8))
        return true;
    if (std::memcmp(data + 8, "mif1", 4) != 0 && std::memcmp(data + 8, "msf1", 4) != 0)
        return false;
    const std::size_t end = boxSize < size ? boxSize : size;
    for (std::size_t at = 16; at + 4 <= end; at += 4) {
        if (isHeicBrand(data + at))
            return true;
    }
    return false;
}

}  // namespace

const char* SniffPictureFormat(const std::uint8_t* data, std::size_t size, std::uint32_t typeHint)
{
    if (data == nullptr)
        return nullptr;
    if (StartsWith(data, size, "\x89PNG\r\n\x1a\n", 8))
        return "PNG";
    if (StartsWith(data, size, "\xFF\xD8\xFF", 3))
        return "JPEG";
    if (StartsWith(data, size, "GIF87a", 6) || StartsWith(data, size, "GIF89a", 6))
        return "GIF";
    if (StartsWith(data, size, "II*\0", 4) || StartsWith(data, size, "MM\0*", 4) ||
        StartsWith(data, size, "II+\0", 4) || StartsWith(data, size, "MM\0+", 4))
        return "TIFF";
    if (IsBmp(data, size))
        return "BMP";
    if (size >= 12 && StartsWith(data, size, "RIFF", 4) && std::memcmp(data + 8, "WEBP", 4) == 0)
        return "WEBP";
    if (IsIconDirectory(data, size))
        return data[2] == 1 ? "ICO" : "CUR";
    if (IsPcx(data, size))
        return "PCX";
    if (IsPnm(data, size))
        return "PNM";
    if (IsHeic(data, size))
        return "HEIC";
    if (typeHint == kTypeTga && size >= 18)
        return "TGA";
    return nullptr;
}
