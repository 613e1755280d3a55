#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// The batch list: full paths kept sorted alphabetically without regard to
// ASCII case, ties broken by the bytes, so the order never depends on the
// order of adding. A path is listed once: the duplicate test is an exact match
// of the whole path, case included (on Linux /p/A.bmp and /p/a.bmp are two
// files). Made for lists of 100,000 entries and more. Not thread-safe.
class PictureList {
public:
    // Adds a path unless it is listed; gives its index either way.
    std::size_t Add(const std::string& path, bool* added = nullptr);

    // Adds many at once (a folder scan's findings), faster than one by one.
    // Gives how many were new.
    std::size_t AddMany(std::vector<std::string> paths);

    // Removes the entry at `index`; an index past the end removes nothing.
    void RemoveAt(std::size_t index);
    void Clear() { m_entries.clear(); }

    std::size_t Size() const { return m_entries.size(); }
    bool Empty() const { return m_entries.empty(); }
    const std::string& At(std::size_t index) const { return m_entries.at(index); }
    const std::vector<std::string>& Entries() const { return m_entries; }

    std::optional<std::size_t> IndexOf(const std::string& path) const;

    // The list's order: ASCII letters compared without case, then the bytes.
    static bool Less(const std::string& a, const std::string& b);

private:
    std::vector<std::string> m_entries;
};
