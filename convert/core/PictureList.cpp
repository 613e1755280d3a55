#include "PictureList.h"

#include <algorithm>

namespace {

unsigned char Folded(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}

}  // namespace

bool PictureList::Less(const std::string& a, const std::string& b)
{
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const unsigned char x = Folded(a[i]);
        const unsigned char y = Folded(b[i]);
        if (x != y)
            return x < y;
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return a < b;
}

std::size_t PictureList::Add(const std::string& path, bool* added)
{
    const auto at = std::lower_bound(m_entries.begin(), m_entries.end(), path, Less);
    const auto index = static_cast<std::size_t>(at - m_entries.begin());
    const bool isNew = at == m_entries.end() || *at != path;
    if (isNew) {
        m_entries.insert(at, path);
        m_rootOf.insert(m_rootOf.begin() + static_cast<std::ptrdiff_t>(index), 0);
    }
    if (added)
        *added = isNew;
    return index;
}

std::size_t PictureList::AddMany(std::vector<std::string> paths)
{
    return AddMany(std::move(paths), std::string());
}

std::size_t PictureList::AddMany(std::vector<std::string> paths, const std::string& root)
{
    const std::uint32_t rootNumber = RootNumber(root);
    std::sort(paths.begin(), paths.end(), Less);
    paths.erase(std::unique(paths.begin(), paths.end()), paths.end());
    std::vector<std::string> merged;
    std::vector<std::uint32_t> mergedRoots;
    merged.reserve(m_entries.size() + paths.size());
    mergedRoots.reserve(m_entries.size() + paths.size());
    std::size_t added = 0;
    std::size_t old = 0;
    for (std::string& path : paths) {
        for (; old < m_entries.size() && Less(m_entries[old], path); ++old) {
            merged.push_back(std::move(m_entries[old]));
            mergedRoots.push_back(m_rootOf[old]);
        }
        if (old < m_entries.size() && m_entries[old] == path)
            continue;
        merged.push_back(std::move(path));
        mergedRoots.push_back(rootNumber);
        ++added;
    }
    for (; old < m_entries.size(); ++old) {
        merged.push_back(std::move(m_entries[old]));
        mergedRoots.push_back(m_rootOf[old]);
    }
    m_entries = std::move(merged);
    m_rootOf = std::move(mergedRoots);
    return added;
}

void PictureList::Clear()
{
    m_entries.clear();
    m_rootOf.clear();
    m_roots.resize(1);
}

std::vector<std::string> PictureList::Roots() const
{
    std::vector<std::string> roots;
    roots.reserve(m_rootOf.size());
    for (const std::uint32_t number : m_rootOf)
        roots.push_back(m_roots[number]);
    return roots;
}

std::uint32_t PictureList::RootNumber(const std::string& root)
{
    const auto known = std::find(m_roots.begin(), m_roots.end(), root);
    if (known != m_roots.end())
        return static_cast<std::uint32_t>(known - m_roots.begin());
    m_roots.push_back(root);
    return static_cast<std::uint32_t>(m_roots.size() - 1);
}

void PictureList::RemoveAt(std::size_t index)
{
    if (index < m_entries.size()) {
        m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(index));
        m_rootOf.erase(m_rootOf.begin() + static_cast<std::ptrdiff_t>(index));
    }
}

std::optional<std::size_t> PictureList::IndexOf(const std::string& path) const
{
    const auto at = std::lower_bound(m_entries.begin(), m_entries.end(), path, Less);
    if (at == m_entries.end() || *at != path)
        return std::nullopt;
    return static_cast<std::size_t>(at - m_entries.begin());
}
