#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The batch list: full paths kept sorted alphabetically without regard to
// ASCII case, ties broken by the bytes, so the order never depends on the
// order of adding. A path is listed once: the duplicate test is an exact match
// of the whole path, case included (on Linux /p/A.bmp and /p/a.bmp are two
// files). Made for lists of 100,000 entries and more. Not thread-safe.
//
// Each entry remembers the folder a scan found it under (its scan root), so a
// batch run can keep the folder tree below that folder; an entry added one by
// one has none. A path keeps the root of its first adding.
class PictureList {
public:
    // Adds a path unless it is listed; gives its index either way.
    std::size_t Add(const std::string& path, bool* added = nullptr);

    // Adds many at once (a folder scan's findings), faster than one by one.
    // Gives how many were new.
    std::size_t AddMany(std::vector<std::string> paths);
    // The same, for the findings of a scan of `root`: the new entries keep it.
    std::size_t AddMany(std::vector<std::string> paths, const std::string& root);

    // Removes the entry at `index`; an index past the end removes nothing.
    void RemoveAt(std::size_t index);
    void Clear();

    std::size_t Size() const { return m_entries.size(); }
    bool Empty() const { return m_entries.empty(); }
    const std::string& At(std::size_t index) const { return m_entries.at(index); }
    const std::vector<std::string>& Entries() const { return m_entries; }

    std::optional<std::size_t> IndexOf(const std::string& path) const;

    // The scan root of the entry at `index`; "" for one added one by one.
    const std::string& RootOf(std::size_t index) const { return m_roots.at(m_rootOf.at(index)); }
    // Every entry's scan root, in list order (BatchRequest::roots).
    std::vector<std::string> Roots() const;

    // The list's order: ASCII letters compared without case, then the bytes.
    static bool Less(const std::string& a, const std::string& b);

private:
    std::uint32_t RootNumber(const std::string& root);

    std::vector<std::string> m_entries;
    std::vector<std::uint32_t> m_rootOf;                // per entry: its root's place in m_roots
    std::vector<std::string> m_roots = {std::string()};  // 0 stands for no root
};
