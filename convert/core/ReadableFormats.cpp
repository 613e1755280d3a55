#include "ReadableFormats.h"

#include "Naming.h"
#include "OutputFormat.h"

#include <algorithm>
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

bool IsPng(const std::uint8_t* data, std::size_t size)
{
    return StartsWith(data, size, "\x89PNG\r\n\x1a\n", 8);
}

bool IsJpeg(const std::uint8_t* data, std::size_t size)
{
    return StartsWith(data, size, "\xFF\xD8\xFF", 3);
}

bool IsGif(const std::uint8_t* data, std::size_t size)
{
    return StartsWith(data, size, "GIF87a", 6) || StartsWith(data, size, "GIF89a", 6);
}

bool IsTiff(const std::uint8_t* data, std::size_t size)
{
    return StartsWith(data, size, "II*\0", 4) || StartsWith(data, size, "MM\0*", 4) ||
           StartsWith(data, size, "II+\0", 4) || StartsWith(data, size, "MM\0+", 4);
}

// "BM" alone matches plain text; the info header size narrows it down
// (OS/2 2.x headers may be cut to 16 bytes).
bool IsBmp(const std::uint8_t* data, std::size_t size)
{
    if (size < 18 || data[0] != 'B' || data[1] != 'M')
        return false;
    switch (ReadLe32(data + 14)) {
    case 12: case 16: case 40: case 52: case 56: case 64: case 108: case 124:
        return true;
    default:
        return false;
    }
}

bool IsWebp(const std::uint8_t* data, std::size_t size)
{
    return size >= 12 && StartsWith(data, size, "RIFF", 4) && std::memcmp(data + 8, "WEBP", 4) == 0;
}

// Icons and cursors share a 6-byte header; the directory must fit the file.
// An uncompressed TGA can start with the same four bytes but has no
// directory count there.
bool IsIconDirectory(const std::uint8_t* data, std::size_t size, std::uint8_t kind)
{
    if (size < 22 || data[0] != 0 || data[1] != 0 || data[2] != kind || data[3] != 0)
        return false;
    const std::uint32_t count = ReadLe16(data + 4);
    if (count == 0 || 6 + 16 * static_cast<std::size_t>(count) > size)
        return false;
    const std::uint32_t firstOffset = ReadLe32(data + 6 + 12);
    return firstOffset >= 6 + 16 * count;
}

bool IsIco(const std::uint8_t* data, std::size_t size)
{
    return IsIconDirectory(data, size, 1);
}

bool IsCur(const std::uint8_t* data, std::size_t size)
{
    return IsIconDirectory(data, size, 2);
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

// A bare codestream, or the container's signature box.
bool IsJxl(const std::uint8_t* data, std::size_t size)
{
    return StartsWith(data, size, "\xFF\x0A", 2) ||
           StartsWith(data, size, "\0\0\0\x0CJXL \r\n\x87\n", 12);
}

// Camera raw formats that are not TIFF containers (those go through the
// TIFF row): Canon CRW and CR3, Fujifilm RAF, Olympus ORF, Panasonic RW2,
// Minolta MRW, Sigma X3F.
bool IsCameraRaw(const std::uint8_t* data, std::size_t size)
{
    if (size >= 14 && StartsWith(data, size, "II\x1a\0\0\0", 6) && std::memcmp(data + 6, "HEAPCCDR", 8) == 0)
        return true;
    if (size >= 12 && std::memcmp(data + 4, "ftypcrx ", 8) == 0)
        return true;
    for (const char* magic : {"FUJIFILM", "IIRO", "IIRS", "MMOR", "FOVb"}) {
        if (StartsWith(data, size, magic, std::strlen(magic)))
            return true;
    }
    return StartsWith(data, size, "IIU\0", 4) || StartsWith(data, size, "\0MRM", 4);
}

}  // namespace

const std::vector<ReadableFormat>& ReadableFormats()
{
    using R = PictureReader;
    static const std::vector<ReadableFormat> kFormats = {
        {"BMP", {"bmp", "dib"}, {"image/bmp", "image/x-dib"}, "BMP", R::Magick, "`BM` and a known header size", IsBmp, 0},
        {"GIF", {"gif"}, {"image/gif"}, "GIF", R::Magick, "`GIF87a`, `GIF89a`", IsGif, 0},
        {"JPEG", {"jpg", "jpeg", "jpe", "jfif"}, {"image/jpeg"}, "JPEG", R::Magick, "`FF D8 FF`", IsJpeg, 0},
        {"PNG", {"png"}, {"image/png"}, "PNG", R::Magick, "the PNG signature", IsPng, 0},
        {"ICO", {"ico"}, {"image/vnd.microsoft.icon"}, "ICO", R::Magick, "an icon directory", IsIco, 0},
        {"CUR", {"cur"}, {"image/x-win-bitmap"}, "CUR", R::Magick, "a cursor directory", IsCur, 0},
        {"TIFF", {"tif", "tiff"}, {"image/tiff"}, "TIFF", R::CameraRawFirst, "`II*`, `MM*` (BigTIFF too)", IsTiff,
         0},
        {"PCX", {"pcx"}, {"image/vnd.zbrush.pcx"}, "PCX", R::Magick, "`0A`, a version, encoding and depth", IsPcx,
         0},
        {"WebP", {"webp"}, {"image/webp"}, "WEBP", R::Magick, "`RIFF` ... `WEBP`", IsWebp, 0},
        {"HEIC", {"heic", "heif"}, {"image/heif"}, "HEIC", R::Magick, "an `ftyp` box with a HEIC brand", IsHeic, 0},
        {"JPEG XL", {"jxl"}, {"image/jxl"}, nullptr, R::Jxl, "`FF 0A`, or the container's `JXL ` box", IsJxl, 0},
        {"Netpbm", {"pnm", "ppm", "pgm", "pbm", "pam"},
         {"image/x-portable-anymap", "image/x-portable-pixmap", "image/x-portable-graymap", "image/x-portable-bitmap"},
         "PNM", R::Magick, "`P1` to `P7`", IsPnm, 0},
        {"TGA", {"tga"}, {"image/x-tga"}, "TGA", R::Magick, "none: taken when the name ends in `tga`", nullptr,
         kTypeTga},
        {"camera raw",
         {"raw", "nef", "nrw", "cr2", "cr3", "crw", "arw", "srf", "sr2", "dng", "orf", "rw2", "pef", "raf", "srw",
          "kdc", "dcr", "mrw", "erf", "3fr", "mos", "rwl", "iiq", "x3f"},
         {"image/x-dcraw", "image/x-adobe-dng", "image/x-canon-cr2", "image/x-canon-cr3", "image/x-canon-crw",
          "image/x-nikon-nef", "image/x-nikon-nrw", "image/x-sony-arw", "image/x-sony-srf", "image/x-sony-sr2",
          "image/x-olympus-orf", "image/x-panasonic-rw", "image/x-panasonic-rw2", "image/x-pentax-pef",
          "image/x-fuji-raf", "image/x-kodak-kdc", "image/x-kodak-dcr", "image/x-minolta-mrw", "image/x-sigma-x3f"},
         nullptr, R::CameraRaw,
         "a TIFF container LibRaw knows, CRW, CR3, RAF, ORF, RW2, MRW, X3F; any file whose name ends in `raw`",
         IsCameraRaw, 0},
    };
    return kFormats;
}

const std::vector<std::string>& ReadablePictureExtensions()
{
    static const std::vector<std::string> kExtensions = [] {
        std::vector<std::string> all;
        for (const ReadableFormat& format : ReadableFormats())
            all.insert(all.end(), format.extensions.begin(), format.extensions.end());
        return all;
    }();
    return kExtensions;
}

bool HasReadableExtension(std::string_view path)
{
    const std::string_view name = FileNameFromPath(path);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0 || dot + 1 == name.size())
        return false;
    std::string extension(name.substr(dot + 1));
    // ASCII only: the bytes of a multibyte character are never letters here.
    for (char& c : extension) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    const std::vector<std::string>& known = ReadablePictureExtensions();
    return std::find(known.begin(), known.end(), extension) != known.end();
}
