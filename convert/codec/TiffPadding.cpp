#include "TiffPadding.h"

#include <algorithm>
#include <utility>

namespace {

constexpr std::size_t kMaxDirectories = 64;

class TiffReader {
public:
    TiffReader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size)
    {
        m_bBigEndian = size >= 2 && data[0] == 'M' && data[1] == 'M';
    }

    bool Has(std::uint64_t offset, std::uint64_t length) const { return offset <= m_size && length <= m_size - offset; }

    std::uint32_t Read(std::size_t offset, int bytes) const
    {
        std::uint32_t value = 0;
        for (int i = 0; i < bytes; ++i) {
            const int shift = m_bBigEndian ? 8 * (bytes - 1 - i) : 8 * i;
            value |= static_cast<std::uint32_t>(m_data[offset + static_cast<std::size_t>(i)]) << shift;
        }
        return value;
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    bool m_bBigEndian = false;
};

std::uint32_t TypeSize(std::uint32_t type)
{
    switch (type) {
    case 1: case 2: case 6: case 7: return 1;  // bytes, ASCII, signed bytes, undefined
    case 3: case 8: return 2;                  // shorts
    case 4: case 9: case 11: case 13: return 4;  // longs, float, IFD
    case 5: case 10: case 12: return 8;        // rationals, double
    default: return 0;
    }
}

bool IsDirectoryPointer(std::uint32_t tag)
{
    return tag == 34665 || tag == 34853 || tag == 40965;  // EXIF, GPS, interoperability
}

}  // namespace

std::vector<std::size_t> TiffPaddingBytes(const std::uint8_t* data, std::size_t size)
{
    const TiffReader tiff(data, size);
    if (size < 8 || !((data[0] == 'I' && data[1] == 'I') || (data[0] == 'M' && data[1] == 'M')) ||
        tiff.Read(2, 2) != 42)
        return {};

    std::vector<std::pair<std::uint64_t, std::uint64_t>> items{{0, 8}};  // [begin, end)
    const auto add = [&](std::uint64_t begin, std::uint64_t length) {
        if (length > 0)
            items.emplace_back(begin, begin + length);
    };
    std::vector<std::uint32_t> directories{tiff.Read(4, 4)};
    for (std::size_t d = 0; d < directories.size() && d < kMaxDirectories; ++d) {
        const std::uint32_t at = directories[d];
        if (at == 0)
            continue;
        if (!tiff.Has(at, 2))
            return {};
        const std::uint32_t entries = tiff.Read(at, 2);
        if (!tiff.Has(at, 2 + 12ull * entries + 4))
            return {};
        add(at, 2 + 12ull * entries + 4);
        std::uint32_t offsets[2] = {0, 0};  // strip or tile offsets and byte counts: entry positions
        for (std::uint32_t e = 0; e < entries; ++e) {
            const std::size_t entry = at + 2 + 12 * static_cast<std::size_t>(e);
            const std::uint32_t tag = tiff.Read(entry, 2);
            const std::uint64_t length = std::uint64_t{TypeSize(tiff.Read(entry + 2, 2))} * tiff.Read(entry + 4, 4);
            if (length > 4) {
                if (!tiff.Has(tiff.Read(entry + 8, 4), length))
                    return {};
                add(tiff.Read(entry + 8, 4), length);
            }
            if (tag == 273 || tag == 324)
                offsets[0] = static_cast<std::uint32_t>(entry);
            if (tag == 279 || tag == 325)
                offsets[1] = static_cast<std::uint32_t>(entry);
            if (IsDirectoryPointer(tag))
                directories.push_back(tiff.Read(entry + 8, 4));
        }
        if (offsets[0] != 0 && offsets[1] != 0) {
            // The pixel data: each strip (or tile) from its offset, its byte count long.
            const std::uint32_t count = tiff.Read(offsets[0] + 4, 4);
            if (count != tiff.Read(offsets[1] + 4, 4))
                return {};
            const auto value = [&](std::size_t entry, std::uint32_t i) -> std::uint64_t {
                const int width = tiff.Read(entry + 2, 2) == 3 ? 2 : 4;
                const std::size_t base = static_cast<std::uint64_t>(width) * count > 4 ? tiff.Read(entry + 8, 4) : entry + 8;
                return tiff.Read(base + static_cast<std::size_t>(i) * static_cast<std::size_t>(width), width);
            };
            for (std::uint32_t i = 0; i < count; ++i) {
                const std::uint64_t begin = value(offsets[0], i);
                const std::uint64_t length = value(offsets[1], i);
                if (!tiff.Has(begin, length))
                    return {};
                add(begin, length);
            }
        }
        directories.push_back(tiff.Read(at + 2 + 12 * static_cast<std::size_t>(entries), 4));
    }

    std::sort(items.begin(), items.end());
    std::vector<std::size_t> padding;
    std::uint64_t covered = 0;
    for (const auto& [begin, end] : items) {
        if (begin == covered + 1 && covered % 2 == 1)
            padding.push_back(static_cast<std::size_t>(covered));
        covered = std::max(covered, end);
    }
    return padding;
}
