#include "GreyAlphaTga.h"

#include "CodecEnvironment.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kHeaderSize = 18;
constexpr std::size_t kFooterSize = 26;
constexpr std::size_t kExtensionSize = 495;
// A run-length packet of three bytes (count, grey, alpha) gives at most 128 pixels.
constexpr std::uint64_t kMostPixelsPerThreeBytes = 128;

std::uint32_t Le16(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0] | p[1] << 8);
}

std::uint32_t Le32(const std::uint8_t* p)
{
    return Le16(p) | Le16(p + 2) << 16;
}

// The extension area's "attributes type": 3 straight alpha, 4 premultiplied,
// 0 to 2 no alpha worth keeping; -1 when the file has no extension area.
int AttributesType(const std::uint8_t* data, std::size_t size)
{
    if (size < kHeaderSize + kFooterSize)
        return -1;
    const std::uint8_t* footer = data + size - kFooterSize;
    if (std::memcmp(footer + 8, "TRUEVISION-XFILE.", 18) != 0)
        return -1;
    const std::uint32_t offset = Le32(footer);
    if (offset < kHeaderSize || offset > size - kFooterSize || size - kFooterSize - offset < kExtensionSize ||
        Le16(data + offset) != kExtensionSize)
        return -1;
    return data[offset + kExtensionSize - 1];
}

}  // namespace

bool IsGreyAlphaTga(const std::uint8_t* data, std::size_t size)
{
    return size >= kHeaderSize && (data[2] == 3 || data[2] == 11) && data[16] == 16;
}

bool ReadGreyAlphaTga(const std::uint8_t* data, std::size_t size, GreyAlphaPicture& picture, std::string& error)
{
    picture = GreyAlphaPicture{};
    if (!IsGreyAlphaTga(data, size)) {
        error = "it cannot be decoded (improper image header)";
        return false;
    }
    const std::uint32_t width = Le16(data + 12);
    const std::uint32_t height = Le16(data + 14);
    const std::uint8_t descriptor = data[17];
    const bool runLength = data[2] == 11;
    std::size_t at = kHeaderSize + data[0];
    if (data[1] != 0)
        at += static_cast<std::size_t>(Le16(data + 5)) * ((data[7] + 7u) / 8u);
    const std::uint64_t pixels = std::uint64_t{width} * height;
    if (width == 0 || height == 0 || at > size) {
        error = "it cannot be decoded (improper image header)";
        return false;
    }
    if (!FitsPictureLimits(width, height) || (size - at) * kMostPixelsPerThreeBytes / 3 < pixels) {
        error = "the picture is too large for its file (" + std::to_string(width) + " x " + std::to_string(height) +
                " pixels)";
        return false;
    }
    const int attributes = AttributesType(data, size);
    const bool hasAlpha = (descriptor & 0x0F) != 0 && (attributes < 0 || attributes >= 3);
    const bool premultiplied = hasAlpha && attributes == 4;
    const bool rightToLeft = (descriptor & 0x10) != 0;
    const bool topFirst = (descriptor & 0x20) != 0;

    picture.width = width;
    picture.height = height;
    picture.rgba.assign(pixels * 4, 0);
    const std::uint8_t* end = data + size;
    const std::uint8_t* p = data + at;
    std::uint64_t done = 0;
    std::uint32_t repeat = 0;  // pixels left in the current packet
    bool runPacket = false;
    while (done < pixels) {
        if (runLength && repeat == 0) {
            if (p == end)
                break;
            runPacket = (*p & 0x80) != 0;
            repeat = (*p & 0x7F) + 1u;
            ++p;
        }
        if (end - p < 2)
            break;
        const std::uint8_t grey = p[0];
        std::uint8_t alpha = hasAlpha ? p[1] : 255;
        std::uint8_t shown = grey;
        if (premultiplied)
            shown = alpha == 0 ? 0 : static_cast<std::uint8_t>(std::min(255u, (grey * 255u + alpha / 2u) / alpha));
        const std::uint64_t row = done / width;
        const std::uint64_t column = done % width;
        const std::uint64_t y = topFirst ? row : height - 1 - row;
        const std::uint64_t x = rightToLeft ? width - 1 - column : column;
        std::uint8_t* out = &picture.rgba[(y * width + x) * 4];
        out[0] = out[1] = out[2] = shown;
        out[3] = alpha;
        ++done;
        if (!runLength || !runPacket || repeat == 1)
            p += 2;
        if (runLength)
            --repeat;
    }
    if (done < pixels)
        picture.damage = "unexpected end of file";
    return true;
}
