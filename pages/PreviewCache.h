#pragma once

#include "FileIo.h"

#include "PreviewJob.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>

// What a preview depends on besides the area: the file as it is now. A file
// that cannot be looked at has exists == false.
// Keeps the last few rendered previews, so a repaint of the same picture in
// the same area draws the kept pixels instead of decoding the file again. A
// kept preview is found while the path, the file's size and modification
// time and the area size are all unchanged; a file changed on disk is not
// found, so it renders again. Failures are kept too: a file that does not
// load is not decoded on every repaint, until it changes.
//
// Not thread-safe: one caller (a page's preview) uses it.
class PreviewCache {
public:
    // `capacity` previews are kept, the least recently used dropped first.
    explicit PreviewCache(std::size_t capacity = 4);

    // The preview of `request` made from the file as `stamp` tells it, or
    // null when none is kept.
    std::shared_ptr<const PreviewResult> Find(const PreviewRequest& request, const FileStamp& stamp);

    // Keeps `result`, rendered from the file as it was at `stamp`; an older
    // preview of the same picture in the same area is stale and goes.
    void Put(const PreviewRequest& request, const FileStamp& stamp, std::shared_ptr<const PreviewResult> result);

    // Drops every kept preview.
    void Clear();

    std::size_t Size() const { return m_entries.size(); }

private:
    struct Entry {
        std::string path;
        FileStamp stamp;
        int areaWidth = 0;
        int areaHeight = 0;
        std::shared_ptr<const PreviewResult> result;
    };

    std::size_t m_nCapacity;
    std::deque<Entry> m_entries;  // most recently used first
};
