#include "PictureList.h"

#include <algorithm>
#include <iterator>

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
    if (isNew)
        m_entries.insert(at, path);
    if (added)
        *added = isNew;
    return index;
}

std::size_t PictureList::AddMany(std::vector<std::string> paths)
{
    std::sort(paths.begin(), paths.end(), Less);
    paths.erase(std::unique(paths.begin(), paths.end()), paths.end());
    std::vector<std::string> merged;
    merged.reserve(m_entries.size() + paths.size());
    std::size_t added = 0;
    auto old = m_entries.begin();
    for (std::string& path : paths) {
        while (old != m_entries.end() && Less(*old, path))
            merged.push_back(std::move(*old++));
        if (old != m_entries.end() && *old == path)
            continue;
        merged.push_back(std::move(path));
        ++added;
    }
    std::move(old, m_entries.end(), std::back_inserter(merged));
    m_entries = std::move(merged);
    return added;
}

void PictureList::RemoveAt(std::size_t index)
{
    if (index < m_entries.size())
        m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(index));
}

std::optional<std::size_t> PictureList::IndexOf(const std::string& path) const
{
    const auto at = std::lower_bound(m_entries.begin(), m_entries.end(), path, Less);
    if (at == m_entries.end() || *at != path)
        return std::nullopt;
    return static_cast<std::size_t>(at - m_entries.begin());
}
