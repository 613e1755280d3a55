#include "TiffPadding.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace {

// A TIFF made by hand: the header, then whatever the test appends.
class TiffBytes {
public:
    explicit TiffBytes(bool bigEndian) : m_bBig(bigEndian)
    {
        m_bytes = {static_cast<std::uint8_t>(bigEndian ? 'M' : 'I'), static_cast<std::uint8_t>(bigEndian ? 'M' : 'I')};
        Put(42, 2);
        Put(0, 4);  // first directory, set by Directory()
    }
    std::size_t Size() const { return m_bytes.size(); }
    void Raw(std::size_t count, std::uint8_t value) { m_bytes.insert(m_bytes.end(), count, value); }
    void Put(std::uint32_t value, int width)
    {
        for (int i = 0; i < width; ++i)
            m_bytes.push_back(static_cast<std::uint8_t>(value >> (m_bBig ? 8 * (width - 1 - i) : 8 * i)));
    }
    // Starts the directory here: its entries are (tag, type, count, value).
    void Directory(std::initializer_list<std::array<std::uint32_t, 4>> entries)
    {
        const std::size_t at = m_bytes.size();
        for (int i = 0; i < 4; ++i)
            m_bytes[4 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(at >> (m_bBig ? 8 * (3 - i) : 8 * i));
        Put(static_cast<std::uint32_t>(entries.size()), 2);
        for (const auto& e : entries) {
            Put(e[0], 2);
            Put(e[1], 2);
            Put(e[2], 4);
            // A short that fits sits in the first two bytes of the field.
            if (e[1] == 3 && e[2] == 1) {
                Put(e[3], 2);
                Put(0, 2);
            } else {
                Put(e[3], 4);
            }
        }
        Put(0, 4);
    }
    const std::vector<std::uint8_t>& Bytes() const { return m_bytes; }

private:
    std::vector<std::uint8_t> m_bytes;
    bool m_bBig;
};

std::vector<std::size_t> Padding(const TiffBytes& tiff)
{
    return TiffPaddingBytes(tiff.Bytes().data(), tiff.Size());
}

// As libtiff lays a file out: pixel data, then the directory on an even
// offset, then the directory's value blocks, each on an even offset.
TEST(TiffPadding, FindsTheByteBeforeEachEvenAlignedItemAndNothingElse)
{
    for (const bool big : {false, true}) {
        TiffBytes tiff(big);
        tiff.Raw(3, 0x55);  // a strip of 3 bytes at 8
        tiff.Raw(1, 0xEE);  // padding at 11
        // Directory at 12: 2 + 4 * 12 + 4 = 54 bytes, so its values start at 66.
        tiff.Directory({{273, 4, 1, 8}, {279, 4, 1, 3}, {305, 2, 5, 66}, {258, 3, 3, 72}});
        tiff.Raw(5, 'a');   // "Software", 5 bytes at 66
        tiff.Raw(1, 0xEE);  // padding at 71
        tiff.Raw(6, 8);     // BitsPerSample at 72
        EXPECT_EQ(Padding(tiff), (std::vector<std::size_t>{11, 71})) << (big ? "MM" : "II");
    }

    TiffBytes even(false);
    even.Raw(4, 0x55);
    even.Directory({{273, 3, 1, 8}, {279, 3, 1, 4}});
    EXPECT_TRUE(Padding(even).empty()) << "an even strip needs no padding";

    TiffBytes unknown(false);
    unknown.Raw(3, 0x55);
    unknown.Raw(3, 0x77);  // bytes nothing points at, but more than one: left alone
    unknown.Directory({{273, 4, 1, 8}, {279, 4, 1, 3}});
    EXPECT_TRUE(Padding(unknown).empty());
}

TEST(TiffPadding, AnythingElseGivesNoOffsets)
{
    TiffBytes pointsOutside(false);
    pointsOutside.Raw(3, 0x55);
    pointsOutside.Raw(1, 0);
    pointsOutside.Directory({{273, 4, 1, 8}, {279, 4, 1, 3000}, {305, 2, 9, 100000}});

    TiffBytes truncated(false);
    truncated.Raw(3, 0x55);
    truncated.Raw(1, 0);
    truncated.Directory({{273, 4, 1, 8}, {279, 4, 1, 3}});
    const std::vector<std::uint8_t> cut(truncated.Bytes().begin(), truncated.Bytes().end() - 6);

    const std::uint8_t bigTiff[] = {'I', 'I', 43, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    const std::uint8_t png[] = {0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0};

    EXPECT_TRUE(Padding(pointsOutside).empty());
    EXPECT_TRUE(TiffPaddingBytes(cut.data(), cut.size()).empty());
    EXPECT_TRUE(TiffPaddingBytes(bigTiff, sizeof bigTiff).empty());
    EXPECT_TRUE(TiffPaddingBytes(png, sizeof png).empty());
    EXPECT_TRUE(TiffPaddingBytes(nullptr, 0).empty());
}

}  // namespace
