#pragma once

#include <string>
#include <vector>

class QMimeData;

// The local files and folders a drag carries, as absolute paths in the file
// system's own bytes, in the order dragged. Folders carry no final separator
// (a root keeps its only one); anything else (web addresses, missing paths)
// is left out.
struct DroppedPaths {
    std::vector<std::string> files;
    std::vector<std::string> folders;
    bool firstIsFolder = false;  // whether the first path taken is a folder

    bool Empty() const { return files.empty() && folders.empty(); }

    static DroppedPaths Of(const QMimeData* mime);
};
