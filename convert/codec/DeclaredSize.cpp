#include "DeclaredSize.h"

#include "CodecEnvironment.h"

#include <cstring>
#include <string_view>

namespace {

// Below this many pixels nothing is refused: such a picture costs little
// memory whatever its file holds.
constexpr std::uint64_t kAlwaysFits = 4'000'000;

// Pixels a byte can carry at most, for 1-bit pixels (the densest).
constexpr std::uint64_t kPlain = 8;               // no compression
constexpr std::uint64_t kDeflate = 1032 * 8;      // zlib's largest ratio
constexpr std::uint64_t kLzwCodes = 2731;         // a 12-bit code stands for at most 4096 codes
constexpr std::uint64_t kLzwBytes = 2731 * 8;     // the same, counting bytes of 1-bit pixels
constexpr std::uint64_t kPackBits = 64 * 8;       // two bytes give 128
constexpr std::uint64_t kBmpRle = 128;            // two bytes give a run of 255 pixels
constexpr std::uint64_t kHuffmanJpeg = 64 * 8;    // a 64-pixel block costs at least one bit

struct Declared {
    std::uint64_t width = 0;
    std::uint64_t height = 0;
    std::uint64_t pixelsPerByte = 0;  // 0: no bound known
};

struct Bytes {
    const std::uint8_t* data;
    std::size_t size;

    bool Has(std::size_t at, std::size_t length) const { return at <= size && length <= size - at; }
    std::uint32_t Le16(std::size_t at) const { return data[at] | static_cast<std::uint32_t>(data[at + 1]) << 8; }
    std::uint32_t Le32(std::size_t at) const { return Le16(at) | Le16(at + 2) << 16; }
    std::uint32_t Be16(std::size_t at) const { return static_cast<std::uint32_t>(data[at]) << 8 | data[at + 1]; }
    std::uint32_t Be32(std::size_t at) const { return Be16(at) << 16 | Be16(at + 2); }
};

Declared Png(const Bytes& b, std::size_t at = 0)
{
    if (!b.Has(at, 24) || std::memcmp(b.data + at + 12, "IHDR", 4) != 0)
        return {};
    return {b.Be32(at + 16), b.Be32(at + 20), kDeflate};
}

// The first image descriptor, after the colour table and any extensions.
Declared Gif(const Bytes& b)
{
    if (!b.Has(0, 13))
        return {};
    std::size_t at = 13;
    if (b.data[10] & 0x80)
        at += 3u << ((b.data[10] & 7) + 1);
    while (b.Has(at, 1) && b.data[at] == 0x21) {
        at += 2;  // introducer and label
        while (b.Has(at, 1) && b.data[at] != 0)
            at += 1 + b.data[at];
        at += 1;
    }
    if (!b.Has(at, 10) || b.data[at] != 0x2C)
        return {};
    return {b.Le16(at + 5), b.Le16(at + 7), kLzwCodes};
}

Declared Bmp(const Bytes& b, std::size_t at)
{
    if (!b.Has(at, 12))
        return {};
    const std::uint32_t headerSize = b.Le32(at);
    if (headerSize == 12)
        return {b.Le16(at + 4), b.Le16(at + 6), kPlain};
    if (headerSize < 16 || !b.Has(at, 16))
        return {};
    const std::int32_t height = static_cast<std::int32_t>(b.Le32(at + 8));
    Declared declared{b.Le32(at + 4), height < 0 ? 0 - static_cast<std::uint64_t>(height) : static_cast<std::uint64_t>(height), 0};
    const std::uint32_t compression = headerSize >= 20 && b.Has(at, 20) ? b.Le32(at + 16) : 0;
    // OS/2 headers number their compressions differently past RLE4.
    const bool windows = headerSize == 40 || headerSize == 52 || headerSize == 56 || headerSize >= 108;
    if (compression == 0 || (windows && (compression == 3 || compression == 6)))
        declared.pixelsPerByte = kPlain;
    else if (compression == 1 || compression == 2)
        declared.pixelsPerByte = kBmpRle;
    return declared;
}

// An icon's first image, which is what is read: a PNG or a bitmap.
Declared Icon(const Bytes& b)
{
    if (!b.Has(0, 22))
        return {};
    const std::size_t offset = b.Le32(18);
    if (b.Has(offset, 8) && std::memcmp(b.data + offset, "\x89PNG\r\n\x1a\n", 8) == 0)
        return Png(b, offset);
    Declared declared = Bmp(b, offset);
    declared.height /= 2;  // the colour bitmap and its mask
    return declared;
}

Declared Jpeg(const Bytes& b)
{
    std::size_t at = 2;
    while (b.Has(at, 4) && b.data[at] == 0xFF) {
        const std::uint8_t marker = b.data[at + 1];
        if (marker == 0xFF) {
            ++at;  // fill byte
            continue;
        }
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (!b.Has(at, 9))
                return {};
            // Arithmetic coding (C9 to CF) can spend far less than a bit on a block.
            return {b.Be16(at + 7), b.Be16(at + 5), marker < 0xC9 ? kHuffmanJpeg : 0};
        }
        if (marker == 0xD9 || marker == 0xDA)
            return {};  // no frame before the picture data
        if (marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {
            at += 2;
            continue;
        }
        at += 2 + b.Be16(at + 2);
    }
    return {};
}

// The first directory of a classic TIFF.
Declared Tiff(const Bytes& b)
{
    if (!b.Has(0, 8))
        return {};
    const bool little = b.data[0] == 'I';
    auto u16 = [&](std::size_t at) { return little ? b.Le16(at) : b.Be16(at); };
    auto u32 = [&](std::size_t at) { return little ? b.Le32(at) : b.Be32(at); };
    if (u16(2) != 42)
        return {};
    const std::size_t directory = u32(4);
    if (!b.Has(directory, 2))
        return {};
    const std::size_t count = u16(directory);
    Declared declared;
    std::uint32_t compression = 1;
    for (std::size_t i = 0; i < count && b.Has(directory + 2 + 12 * i, 12); ++i) {
        const std::size_t entry = directory + 2 + 12 * i;
        const std::uint32_t tag = u16(entry);
        const std::uint32_t type = u16(entry + 2);
        const std::uint32_t value = type == 3 ? u16(entry + 8) : type == 4 ? u32(entry + 8) : 0;
        if (tag == 256)
            declared.width = value;
        else if (tag == 257)
            declared.height = value;
        else if (tag == 259)
            compression = value;
    }
    switch (compression) {
    case 1:
        declared.pixelsPerByte = kPlain;
        break;
    case 2: case 3: case 4: case 32771:
        declared.pixelsPerByte = 8 * declared.width;  // fax codes: a row can cost a single bit
        break;
    case 5:
        declared.pixelsPerByte = kLzwBytes;
        break;
    case 6: case 7:
        declared.pixelsPerByte = kHuffmanJpeg;
        break;
    case 8: case 32946:
        declared.pixelsPerByte = kDeflate;
        break;
    case 32773:
        declared.pixelsPerByte = kPackBits;
        break;
    default:
        break;  // JBIG, LZMA, Zstandard, WebP, ...: no bound known
    }
    return declared;
}

Declared ReadDeclared(std::string_view coder, const Bytes& b)
{
    if (coder == "PNG")
        return Png(b, 0);
    if (coder == "GIF")
        return Gif(b);
    if (coder == "BMP")
        return Bmp(b, 14);
    if (coder == "ICO" || coder == "CUR")
        return Icon(b);
    if (coder == "JPEG")
        return Jpeg(b);
    if (coder == "TIFF")
        return Tiff(b);
    return {};
}

}  // namespace

bool DeclaredSizeFitsFile(const char* coder, const std::uint8_t* data, std::size_t size, std::string& error)
{
    if (coder == nullptr || data == nullptr)
        return true;
    const Declared declared = ReadDeclared(coder, Bytes{data, size});
    if (declared.pixelsPerByte == 0 || declared.width == 0 || declared.height == 0)
        return true;
    // Larger pictures are refused by the decoder's size limits, with their
    // own reason; within them the product cannot overflow.
    if (!FitsPictureLimits(declared.width, declared.height))
        return true;
    const std::uint64_t pixels = declared.width * declared.height;
    if (pixels <= kAlwaysFits || pixels / declared.pixelsPerByte <= size)
        return true;
    error = "the file is too short for the " + std::to_string(declared.width) + " x " +
            std::to_string(declared.height) + " pixels it declares";
    return false;
}
