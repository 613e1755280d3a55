#pragma once

#include <array>
#include <cstdint>
#include <string_view>

// Codec type codes. They are stored nowhere but are part of the worker
// protocol, so the numbers are fixed.
enum TypeCode : std::uint32_t {
    kTypeUnknown = 0,
    kTypeBmp = 1,
    kTypeGif = 2,
    kTypeJpg = 3,
    kTypePng = 4,
    kTypeIco = 5,
    kTypeTif = 6,
    kTypeTga = 7,
    kTypePcx = 8,
    kTypeRaw = 19,
};

// One of the nine formats the program writes.
struct OutputFormat {
    const char* label;        // check box caption on the Single page
    const char* comboText;    // item of the Batch page's format list
    int checkId;              // control id of the check box
    int comboIndex;           // position in the Batch page's format list
    const char* extension;    // with its dot, lower case
    std::uint32_t typeCode;
    const char* settingsKey;  // key of the check box state in section Single
};

constexpr std::size_t kOutputFormatCount = 9;

// Table order: bmp, jpg, gif, pcx, png, ico, tif, tga, raw. Conversions write
// in this order and the Single page's flags are passed in it.
const std::array<OutputFormat, kOutputFormatCount>& OutputFormats();

// The row whose comboIndex is `index`; any index outside 1 to 8 gives BMP.
const OutputFormat& FormatByComboIndex(int index);

// The row whose checkId is `checkId`, or nullptr.
const OutputFormat* FormatByCheckId(int checkId);

// The row with this type code, or nullptr (0 and unknown codes).
const OutputFormat* FormatByTypeCode(std::uint32_t typeCode);

// Type code from the last three bytes of a path, ignoring ASCII case; no dot
// is looked for ("xbmp" gives BMP, "a.jpeg" gives 0).
std::uint32_t TypeFromPath(std::string_view path);
