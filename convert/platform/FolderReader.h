#pragma once

#include "FileIo.h"

#include <memory>
#include <string>

// One open folder, listed entry by entry in the order the file system gives
// them ("." and ".." left out). Child folders are opened relative to it, so
// paths have no length limit. Holds one descriptor while open.
class FolderReader {
public:
    enum class Kind { File, Folder, Other };
    struct Entry {
        std::string name;
        // What the entry is, through a symbolic link (a broken link counts
        // as a file, the file it names).
        Kind kind = Kind::Other;
        bool viaLink = false;
    };

    // Opens the folder; nullptr with `error` set (a reason) when it cannot.
    static std::unique_ptr<FolderReader> Open(const std::string& path, std::string* error);
    ~FolderReader();
    FolderReader(const FolderReader&) = delete;
    FolderReader& operator=(const FolderReader&) = delete;

    // The next entry; false at the end, or on an error (then `error` set).
    bool Next(Entry& entry, std::string* error);
    // Opens a child folder that Next listed (through its link when viaLink).
    std::unique_ptr<FolderReader> OpenChild(const Entry& entry, std::string* error) const;
    // The folder's device and inode.
    const FileId& Id() const { return m_id; }

    struct Handle;
    FolderReader(std::unique_ptr<Handle> handle, FileId id);

private:
    std::unique_ptr<Handle> m_handle;
    FileId m_id;
};
