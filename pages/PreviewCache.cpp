#include "PreviewCache.h"

#include <algorithm>

PreviewCache::PreviewCache(std::size_t capacity)
    : m_nCapacity(std::max<std::size_t>(1, capacity))
{
}

std::shared_ptr<const PreviewResult> PreviewCache::Find(const PreviewRequest& request, const FileStamp& stamp)
{
    const auto found = std::find_if(m_entries.begin(), m_entries.end(), [&](const Entry& e) {
        return e.path == request.path && e.stamp == stamp && e.areaWidth == request.areaWidth &&
               e.areaHeight == request.areaHeight;
    });
    if (found == m_entries.end())
        return nullptr;
    Entry entry = std::move(*found);
    m_entries.erase(found);
    m_entries.push_front(std::move(entry));
    return m_entries.front().result;
}

void PreviewCache::Put(const PreviewRequest& request, const FileStamp& stamp,
                       std::shared_ptr<const PreviewResult> result)
{
    m_entries.erase(std::remove_if(m_entries.begin(), m_entries.end(),
                                   [&](const Entry& e) {
                                       return e.path == request.path && e.areaWidth == request.areaWidth &&
                                              e.areaHeight == request.areaHeight;
                                   }),
                    m_entries.end());
    m_entries.push_front(Entry{request.path, stamp, request.areaWidth, request.areaHeight, std::move(result)});
    while (m_entries.size() > m_nCapacity)
        m_entries.pop_back();
}

void PreviewCache::Clear()
{
    m_entries.clear();
}
