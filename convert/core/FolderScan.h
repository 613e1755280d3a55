#pragma once

#include "FileIo.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <set>
#include <string>
#include <vector>

struct FolderScanResult {
    std::size_t filesFound = 0;
    std::vector<std::string> skippedFolders;  // folders that could not be read, with the reason
    bool stopped = false;
};

// Finds picture files in a folder tree, depth first: each folder's entries in
// the order the file system gives them, "." and ".." skipped, a folder entered
// as soon as it is met, hidden files and folders included. Every regular file
// (or link to one, or broken link) is reported whose TypeFromPath is not 0 (its
// last three characters) or whose extension names a readable format
// (HasReadableExtension: "photo.jpeg", "IMG_1.HEIC"); devices, pipes and
// sockets are not. A folder that cannot be read is
// skipped and the scan goes on. A folder, whether reached through a symbolic
// link or not, is entered only if its device and inode are not on the current
// path and were not scanned already, so link loops end and no file is found
// twice under two paths.
//
// Paths have no length limit: folders are opened relative to their parent,
// so a path longer than the system's PATH_MAX is still scanned and reported
// whole. Each level keeps one descriptor open, so a tree deeper than the
// open-file limit has its deepest folders skipped (and reported as such).
//
// Run blocks its caller and calls `onFile` on that thread. RequestStop may be
// called from any thread; the scan then ends soon after.
class FolderReader;

class FolderScan {
public:
    using FileFound = std::function<void(const std::string& path)>;
    // Also told the folder Run was given, the root of the tree the file was
    // found in (for PictureList::AddMany's root).
    using FileFoundUnder = std::function<void(const std::string& path, const std::string& root)>;

    explicit FolderScan(FileFound onFile);
    explicit FolderScan(FileFoundUnder onFile);

    // A folder with a final separator is taken as it is ("/" stays "/").
    FolderScanResult Run(const std::string& folder);

    void RequestStop() { m_bStop.store(true); }

private:
    struct IdLess {
        bool operator()(const FileId& a, const FileId& b) const
        {
            return a.device != b.device ? a.device < b.device : a.inode < b.inode;
        }
    };

    void ScanFolder(FolderReader& reader, const std::string& folder, FolderScanResult& result);

    FileFoundUnder m_onFile;
    std::string m_strRoot;  // the folder of the Run in progress
    std::atomic<bool> m_bStop{false};
    // Every folder entered: those on the current path too, so a link back up
    // the tree ends there.
    std::set<FileId, IdLess> m_scanned;  // every folder entered, so none is entered twice
};
