#include "FolderScan.h"

#include "FolderReader.h"
#include "OutputFormat.h"
#include "ReadableFormats.h"

namespace {

std::string Joined(const std::string& folder, const std::string& name)
{
    std::string path = folder;
    if (path.empty() || path.back() != '/')
        path += '/';
    return path + name;
}

}  // namespace

FolderScan::FolderScan(FileFound onFile)
    : m_onFile([found = std::move(onFile)](const std::string& path, const std::string&) { found(path); })
{
}

FolderScan::FolderScan(FileFoundUnder onFile) : m_onFile(std::move(onFile)) {}

FolderScanResult FolderScan::Run(const std::string& folder)
{
    FolderScanResult result;
    m_scanned.clear();
    m_strRoot = folder;
    std::string error;
    std::unique_ptr<FolderReader> top = FolderReader::Open(folder, &error);
    if (!top) {
        result.skippedFolders.push_back(folder + ": " + error);
        return result;
    }
    m_scanned.insert(top->Id());
    ScanFolder(*top, folder, result);
    result.stopped = m_bStop.load();
    return result;
}

void FolderScan::ScanFolder(FolderReader& reader, const std::string& folder, FolderScanResult& result)
{
    FolderReader::Entry entry;
    std::string error;
    while (!m_bStop.load()) {
        if (!reader.Next(entry, &error)) {
            if (!error.empty())
                result.skippedFolders.push_back(folder + ": " + error);
            break;
        }
        const std::string path = Joined(folder, entry.name);
        if (entry.kind == FolderReader::Kind::File) {
            if (TypeFromPath(path) != kTypeUnknown || HasReadableExtension(path)) {
                ++result.filesFound;
                m_onFile(path, m_strRoot);
            }
            continue;
        }
        if (entry.kind != FolderReader::Kind::Folder)
            continue;
        std::unique_ptr<FolderReader> child = reader.OpenChild(entry, &error);
        if (!child) {
            result.skippedFolders.push_back(path + ": " + error);
            error.clear();
            continue;
        }
        // A real folder can be met after a link already led into it; scanning
        // it again would list the same files twice under other paths.
        if (!m_scanned.insert(child->Id()).second)
            continue;
        ScanFolder(*child, path, result);
    }
}
