#include "OutputFormat.h"

#include <cctype>
#include <string>

namespace {

const std::array<OutputFormat, kOutputFormatCount> kFormats = {{
    {"bmp", "BMP", 1009, 0, ".bmp", kTypeBmp, "bbmp"},
    {"jpg", "JPG", 1017, 1, ".jpg", kTypeJpg, "bjpg"},
    {"gif", "GIF", 1018, 2, ".gif", kTypeGif, "bgif"},
    {"pcx", "PCX", 1019, 3, ".pcx", kTypePcx, "bpcx"},
    {"png", "PNG", 1020, 4, ".png", kTypePng, "bpng"},
    {"ico", "ICO", 1021, 5, ".ico", kTypeIco, "bico"},
    {"tif", "TIF", 1022, 6, ".tif", kTypeTif, "btif"},
    {"tga", "TGA", 1023, 7, ".tga", kTypeTga, "btga"},
    {"raw", "RAW", 1024, 8, ".raw", kTypeRaw, "braw"},
}};

}  // namespace

const std::array<OutputFormat, kOutputFormatCount>& OutputFormats()
{
    return kFormats;
}

const OutputFormat& FormatByComboIndex(int index)
{
    for (const OutputFormat& format : kFormats) {
        if (format.comboIndex == index && index >= 1 && index <= 8)
            return format;
    }
    return kFormats[0];
}

const OutputFormat* FormatByCheckId(int checkId)
{
    for (const OutputFormat& format : kFormats) {
        if (format.checkId == checkId)
            return &format;
    }
    return nullptr;
}

const OutputFormat* FormatByTypeCode(std::uint32_t typeCode)
{
    for (const OutputFormat& format : kFormats) {
        if (format.typeCode == typeCode)
            return &format;
    }
    return nullptr;
}

std::uint32_t TypeFromPath(std::string_view path)
{
    std::string tail(path.size() < 3 ? path : path.substr(path.size() - 3));
    // ASCII only: the bytes of a multibyte character are never letters here.
    for (char& c : tail) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    for (const OutputFormat& format : kFormats) {
        if (tail == format.comboText)
            return format.typeCode;
    }
    return kTypeUnknown;
}
