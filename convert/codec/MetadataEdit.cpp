#include "MetadataEdit.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <set>

namespace {

constexpr std::uint16_t kTagExifIfd = 0x8769;
constexpr std::uint16_t kTagGpsIfd = 0x8825;
constexpr std::uint16_t kTagInteropIfd = 0xA005;
constexpr std::size_t kEntrySize = 12;
constexpr std::size_t kMostEntries = 4096;  // far above any real directory; keeps loops bounded
constexpr std::uint64_t kClassicTiffLimit = 0xFFFFFFFFu;

std::size_t ExifHeaderLength(const std::vector<std::uint8_t>& exif)
{
    static constexpr std::uint8_t kHeader[] = {'E', 'x', 'i', 'f', 0, 0};
    return exif.size() >= sizeof kHeader && std::memcmp(exif.data(), kHeader, sizeof kHeader) == 0 ? sizeof kHeader
                                                                                                  : 0;
}

// A TIFF structure starting at `base` in `bytes`; offsets are relative to it.
class TiffView {
public:
    TiffView(std::vector<std::uint8_t>& bytes, std::size_t base) : m_bytes(bytes), m_base(base)
    {
        m_ok = bytes.size() >= base + 8 && bytes[base] == bytes[base + 1] && (bytes[base] == 'I' || bytes[base] == 'M');
        m_little = m_ok && bytes[base] == 'I';
        m_ok = m_ok && U16(2) == 42;
    }

    bool Ok() const { return m_ok; }
    std::uint64_t Size() const { return m_bytes.size() - m_base; }
    bool Holds(std::uint64_t at, std::uint64_t length) const { return at <= Size() && length <= Size() - at; }

    std::uint32_t U16(std::uint64_t at) const { return Holds(at, 2) ? Read(at, 2) : 0; }
    std::uint32_t U32(std::uint64_t at) const { return Holds(at, 4) ? Read(at, 4) : 0; }
    void Put16(std::uint64_t at, std::uint32_t value) { Write(at, 2, value); }
    void Put32(std::uint64_t at, std::uint32_t value) { Write(at, 4, value); }

    // Entries of the directory at `at`, or 0 when it does not fit.
    std::size_t EntryCount(std::uint64_t at) const
    {
        const std::size_t count = U16(at);
        return at > 0 && count <= kMostEntries && Holds(at, 2 + count * kEntrySize + 4) ? count : 0;
    }

    // The bytes an entry's value takes; 0 for an unknown type.
    std::uint64_t ValueLength(std::uint64_t entry) const
    {
        static constexpr std::array<std::uint64_t, 14> kTypeSize = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8, 4};
        const std::uint32_t type = U16(entry + 2);
        return type < kTypeSize.size() ? kTypeSize[type] * U32(entry + 4) : 0;
    }

private:
    std::uint32_t Read(std::uint64_t at, int length) const
    {
        std::uint32_t value = 0;
        for (int i = 0; i < length; ++i) {
            const std::uint32_t byte = m_bytes[m_base + at + (m_little ? length - 1 - i : i)];
            value = value << 8 | byte;
        }
        return value;
    }
    void Write(std::uint64_t at, int length, std::uint32_t value)
    {
        if (!Holds(at, length))
            return;
        for (int i = 0; i < length; ++i)
            m_bytes[m_base + at + (m_little ? i : length - 1 - i)] = static_cast<std::uint8_t>(value >> (8 * i));
    }

    std::vector<std::uint8_t>& m_bytes;
    std::size_t m_base;
    bool m_ok = false;
    bool m_little = false;
};

std::uint64_t EntryAt(std::uint64_t directory, std::size_t index)
{
    return directory + 2 + index * kEntrySize;
}

bool IsPointer(std::uint32_t tag)
{
    return tag == kTagExifIfd || tag == kTagGpsIfd || tag == kTagInteropIfd;
}

// EXIF tags that describe a JPEG stream and are not allowed in a TIFF (the
// picture's own tags say it there), and the interoperability directory,
// which libtiff does not know.
bool BelongsToJpegOnly(std::uint32_t tag)
{
    return tag == 0x9101 || tag == 0x9102 || tag == 0xA002 || tag == 0xA003 || tag == kTagInteropIfd;
}

// Removes the entries of a copied EXIF directory that a TIFF must not hold.
std::size_t DropJpegOnlyEntries(TiffView& copy, std::vector<std::uint8_t>& bytes, std::uint64_t at)
{
    const std::size_t count = copy.EntryCount(at);
    std::size_t kept = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint64_t entry = EntryAt(at, i);
        if (BelongsToJpegOnly(copy.U16(entry)))
            continue;
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(entry), kEntrySize,
                    bytes.begin() + static_cast<std::ptrdiff_t>(EntryAt(at, kept)));
        ++kept;
    }
    if (kept < count) {
        copy.Put16(at, static_cast<std::uint32_t>(kept));
        std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(EntryAt(at, kept)), (count - kept) * kEntrySize + 4, 0);
    }
    return kept;
}

// Moves the offsets of a directory copied `delta` bytes further, and of the
// directories it points to; values that lie outside the copy are cut off
// (count 0), so no entry can point at the file's other bytes.
void Relocate(TiffView& copy, std::vector<std::uint8_t>& bytes, std::uint64_t directory, std::uint64_t delta,
              std::uint64_t copyLength, std::set<std::uint64_t>& seen)
{
    if (copy.EntryCount(delta + directory) == 0 || !seen.insert(directory).second)
        return;
    const std::size_t count = DropJpegOnlyEntries(copy, bytes, delta + directory);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint64_t entry = EntryAt(delta + directory, i);
        const std::uint32_t tag = copy.U16(entry);
        const std::uint64_t length = copy.ValueLength(entry);
        const std::uint64_t value = copy.U32(entry + 8);
        if (IsPointer(tag)) {
            copy.Put32(entry + 8, static_cast<std::uint32_t>(value + delta));
            Relocate(copy, bytes, value, delta, copyLength, seen);
        } else if (length > 4) {
            if (value <= copyLength && length <= copyLength - value)
                copy.Put32(entry + 8, static_cast<std::uint32_t>(value + delta));
            else
                copy.Put32(entry + 4, 0);
        }
    }
    copy.Put32(delta + directory + 2 + count * kEntrySize, 0);  // no chained directories
}

void Align(std::vector<std::uint8_t>& bytes)
{
    bytes.resize((bytes.size() + 3) / 4 * 4, 0);
}

}  // namespace

char ExifByteOrder(const std::vector<std::uint8_t>& exif)
{
    std::vector<std::uint8_t> copy(exif);
    TiffView view(copy, ExifHeaderLength(exif));
    return view.Ok() ? static_cast<char>(exif[ExifHeaderLength(exif)]) : 0;
}

bool RemoveExifGps(std::vector<std::uint8_t>& exif)
{
    TiffView view(exif, ExifHeaderLength(exif));
    if (!view.Ok())
        return false;
    const std::uint64_t first = view.U32(4);
    const std::size_t count = view.EntryCount(first);
    if (count == 0)
        return view.U16(first) == 0 && view.Holds(first, 6);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint64_t entry = EntryAt(first, i);
        if (view.U16(entry) != kTagGpsIfd)
            continue;
        const std::uint64_t gps = view.U32(entry + 8);
        const std::size_t gpsCount = view.EntryCount(gps);
        for (std::size_t g = 0; g < gpsCount; ++g) {
            const std::uint64_t gpsEntry = EntryAt(gps, g);
            const std::uint64_t length = view.ValueLength(gpsEntry);
            const std::uint64_t value = view.U32(gpsEntry + 8);
            if (length > 4 && view.Holds(value, length)) {
                for (std::uint64_t b = 0; b < length; ++b)
                    exif[ExifHeaderLength(exif) + value + b] = 0;
            }
            for (std::size_t b = 0; b < kEntrySize; ++b)
                exif[ExifHeaderLength(exif) + gpsEntry + b] = 0;
        }
        if (view.Holds(gps, 2))
            view.Put16(gps, 0);
        // The later entries and the next-directory offset move up one entry.
        const std::size_t base = ExifHeaderLength(exif);
        const auto from = exif.begin() + static_cast<std::ptrdiff_t>(base + entry + kEntrySize);
        const auto end = exif.begin() + static_cast<std::ptrdiff_t>(base + EntryAt(first, count) + 4);
        std::copy(from, end, exif.begin() + static_cast<std::ptrdiff_t>(base + entry));
        std::fill(end - static_cast<std::ptrdiff_t>(kEntrySize), end, 0);
        view.Put16(first, static_cast<std::uint32_t>(count - 1));
        return true;
    }
    return true;
}

bool AddExifToTiff(std::vector<std::uint8_t>& tiff, const std::vector<std::uint8_t>& exif)
{
    static const std::set<std::uint32_t> kCopiedTags = {270, 271, 272, 305, 306, 315, 33432, kTagExifIfd, kTagGpsIfd};
    const std::size_t exifBase = ExifHeaderLength(exif);
    std::vector<std::uint8_t> out(tiff);
    TiffView file(out, 0);
    std::vector<std::uint8_t> block(exif.begin() + static_cast<std::ptrdiff_t>(exifBase), exif.end());
    TiffView source(block, 0);
    if (!file.Ok() || !source.Ok() || out[0] != block[0])
        return false;
    const std::uint64_t fileFirst = file.U32(4);
    const std::size_t fileCount = file.EntryCount(fileFirst);
    const std::uint64_t sourceFirst = source.U32(4);
    const std::size_t sourceCount = source.EntryCount(sourceFirst);
    if (fileCount == 0 || sourceCount == 0)
        return false;

    std::vector<std::array<std::uint8_t, kEntrySize>> entries;
    std::set<std::uint32_t> present;
    auto take = [&](const std::vector<std::uint8_t>& bytes, std::uint64_t at) {
        std::array<std::uint8_t, kEntrySize> entry{};
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(at), kEntrySize, entry.begin());
        entries.push_back(entry);
    };
    for (std::size_t i = 0; i < fileCount; ++i) {
        take(out, EntryAt(fileFirst, i));
        present.insert(file.U16(EntryAt(fileFirst, i)));
    }
    const std::uint32_t next = file.U32(EntryAt(fileFirst, fileCount));

    // The whole block goes behind the file, so each of its offsets moves by
    // the same amount; only the directories reached from the tags taken are
    // relocated, the rest of the copy is never pointed at.
    Align(out);
    const std::uint64_t delta = out.size();
    if (delta + block.size() > kClassicTiffLimit)
        return false;
    out.insert(out.end(), block.begin(), block.end());
    TiffView moved(out, 0);
    std::set<std::uint64_t> seen;
    bool added = false;
    for (std::size_t i = 0; i < sourceCount; ++i) {
        const std::uint64_t entry = delta + EntryAt(sourceFirst, i);
        const std::uint32_t tag = moved.U16(entry);
        if (kCopiedTags.count(tag) == 0 || present.count(tag) != 0)
            continue;
        const std::uint64_t length = moved.ValueLength(entry);
        const std::uint64_t value = moved.U32(entry + 8);
        if (IsPointer(tag)) {
            if (source.EntryCount(value) == 0)
                continue;
            moved.Put32(entry + 8, static_cast<std::uint32_t>(value + delta));
            Relocate(moved, out, value, delta, block.size(), seen);
        } else if (length > 4) {
            if (!source.Holds(value, length))
                continue;
            moved.Put32(entry + 8, static_cast<std::uint32_t>(value + delta));
        }
        take(out, entry);
        present.insert(tag);
        added = true;
    }
    if (!added)
        return false;
    const bool little = out[0] == 'I';
    const auto tagOf = [little](const std::array<std::uint8_t, kEntrySize>& e) {
        return little ? e[0] | e[1] << 8 : e[0] << 8 | e[1];
    };
    std::sort(entries.begin(), entries.end(), [&](const auto& a, const auto& b) { return tagOf(a) < tagOf(b); });

    // The first directory anew at the end; the old one is left unreferenced.
    Align(out);
    const std::uint64_t first = out.size();
    if (first + 2 + entries.size() * kEntrySize + 4 > kClassicTiffLimit)
        return false;
    out.resize(first + 2 + entries.size() * kEntrySize + 4, 0);
    TiffView rewritten(out, 0);
    rewritten.Put16(first, static_cast<std::uint32_t>(entries.size()));
    for (std::size_t i = 0; i < entries.size(); ++i)
        std::copy(entries[i].begin(), entries[i].end(), out.begin() + static_cast<std::ptrdiff_t>(EntryAt(first, i)));
    rewritten.Put32(EntryAt(first, entries.size()), next);
    rewritten.Put32(4, static_cast<std::uint32_t>(first));
    tiff.swap(out);
    return true;
}

bool RemoveXmpGps(std::string& xmp)
{
    static constexpr char kGps[] = "exif:GPS";
    const std::size_t gpsLength = sizeof kGps - 1;
    std::size_t at = 0;
    while ((at = xmp.find(kGps, at)) != std::string::npos) {
        const std::size_t nameEnd = xmp.find_first_of(" \t\r\n=/>\"'", at);
        if (nameEnd == std::string::npos || nameEnd == at + gpsLength)
            return false;
        const std::string name = xmp.substr(at, nameEnd - at);
        if (at > 0 && xmp[at - 1] == '<') {
            const std::size_t close = xmp.find('>', nameEnd);
            if (close == std::string::npos)
                return false;
            std::size_t end = close + 1;
            if (xmp[close - 1] != '/') {
                const std::size_t closing = xmp.find("</" + name + ">", close);
                if (closing == std::string::npos)
                    return false;
                end = closing + name.size() + 3;
            }
            xmp.erase(at - 1, end - (at - 1));
            at -= 1;
            continue;
        }
        // An attribute: name, '=', a quoted value; the space before it goes too.
        const std::size_t equals = xmp.find_first_not_of(" \t\r\n", nameEnd);
        if (equals == std::string::npos || xmp[equals] != '=')
            return false;
        const std::size_t quote = xmp.find_first_not_of(" \t\r\n", equals + 1);
        if (quote == std::string::npos || (xmp[quote] != '"' && xmp[quote] != '\''))
            return false;
        const std::size_t valueEnd = xmp.find(xmp[quote], quote + 1);
        if (valueEnd == std::string::npos)
            return false;
        std::size_t start = at;
        while (start > 0 && (xmp[start - 1] == ' ' || xmp[start - 1] == '\t' || xmp[start - 1] == '\r' ||
                             xmp[start - 1] == '\n'))
            --start;
        xmp.erase(start, valueEnd + 1 - start);
        at = start;
    }
    return true;
}
