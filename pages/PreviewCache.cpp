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

PreviewCache::PreviewCache(Renderer render, std::size_t capacity)
    : m_render(std::move(render))
    , m_nCapacity(std::max<std::size_t>(1, capacity))
{
}

std::shared_ptr<const PreviewResult> PreviewCache::Get(const PreviewRequest& request)
{
    const FileStamp stamp = StampOf(request.path);
    const auto same = [&](const Entry& e) {
        return e.path == request.path && e.stamp == stamp && e.areaWidth == request.areaWidth &&
               e.areaHeight == request.areaHeight;
    };
    const auto found = std::find_if(m_entries.begin(), m_entries.end(), same);
    if (found != m_entries.end()) {
        ++m_nHits;
        Entry entry = std::move(*found);
        m_entries.erase(found);
        m_entries.push_front(std::move(entry));
        return m_entries.front().result;
    }

    ++m_nMisses;
    auto result = std::make_shared<PreviewResult>();
    if (m_render)
        *result = m_render(request);
    else
        result->error = "no preview renderer";
    // An older preview of the same picture in the same area is stale now.
    m_entries.erase(std::remove_if(m_entries.begin(), m_entries.end(),
                                   [&](const Entry& e) {
                                       return e.path == request.path && e.areaWidth == request.areaWidth &&
                                              e.areaHeight == request.areaHeight;
                                   }),
                    m_entries.end());
    m_entries.push_front(Entry{request.path, stamp, request.areaWidth, request.areaHeight, result});
    while (m_entries.size() > m_nCapacity)
        m_entries.pop_back();
    return result;
}

void PreviewCache::Clear()
{
    m_entries.clear();
}
