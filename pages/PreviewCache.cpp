#include "PreviewCache.h"

#include <algorithm>

#include <sys/stat.h>

// One stat for every repaint: the stamp is only compared, never shown.
FileStamp StampOf(const std::string& path)
{
    FileStamp stamp;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return stamp;
    stamp.exists = true;
    if (S_ISREG(info.st_mode))
        stamp.size = static_cast<std::uintmax_t>(info.st_size);
    stamp.modified = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
    return stamp;
}

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
