#include "FolderScan.h"

#include "OutputFormat.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string Joined(const std::string& folder, const char* name)
{
    std::string path = folder;
    if (path.empty() || path.back() != '/')
        path += '/';
    return path + name;
}

std::string Skipped(const std::string& folder, int error)
{
    return folder + ": " + std::strerror(error);
}

}  // namespace

FolderScan::FolderScan(FileFound onFile) : m_onFile(std::move(onFile)) {}

FolderScanResult FolderScan::Run(const std::string& folder)
{
    FolderScanResult result;
    m_path.clear();
    m_scanned.clear();
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        result.skippedFolders.push_back(Skipped(folder, errno));
        if (fd >= 0)
            ::close(fd);
        return result;
    }
    const Identity id{static_cast<unsigned long long>(st.st_dev), static_cast<unsigned long long>(st.st_ino)};
    m_path.push_back(id);
    m_scanned.insert(id);
    ScanFolder(fd, folder, result);  // takes over fd
    result.stopped = m_bStop.load();
    return result;
}

void FolderScan::ScanFolder(int dirFd, const std::string& folder, FolderScanResult& result)
{
    DIR* dir = ::fdopendir(dirFd);
    if (!dir) {
        result.skippedFolders.push_back(Skipped(folder, errno));
        ::close(dirFd);
        return;
    }
    for (;;) {
        if (m_bStop.load())
            break;
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (!entry) {
            if (errno != 0)
                result.skippedFolders.push_back(Skipped(folder, errno));
            break;
        }
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            continue;

        unsigned char type = entry->d_type;
        struct stat st {};
        if (type == DT_UNKNOWN) {
            if (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                continue;  // gone since it was listed
            type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISLNK(st.st_mode) ? DT_LNK : S_ISREG(st.st_mode) ? DT_REG : DT_FIFO;
        }
        bool viaLink = false;
        if (type == DT_LNK) {
            viaLink = true;
            if (::fstatat(dirFd, name, &st, 0) != 0)
                type = DT_REG;  // a broken link is listed like the file it names
            else
                type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : DT_FIFO;
        }

        const std::string path = Joined(folder, name);
        if (type == DT_REG) {
            if (TypeFromPath(path) != kTypeUnknown) {
                ++result.filesFound;
                m_onFile(path);
            }
            continue;
        }
        if (type != DT_DIR)
            continue;

        const int childFd = ::openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC | (viaLink ? 0 : O_NOFOLLOW));
        if (childFd < 0 || ::fstat(childFd, &st) != 0) {
            result.skippedFolders.push_back(Skipped(path, errno));
            if (childFd >= 0)
                ::close(childFd);
            continue;
        }
        const Identity id{static_cast<unsigned long long>(st.st_dev), static_cast<unsigned long long>(st.st_ino)};
        const bool onPath = std::find(m_path.begin(), m_path.end(), id) != m_path.end();
        // A real folder can be met after a link already led into it; scanning
        // it again would list the same files twice under other paths.
        if (onPath || m_scanned.count(id) != 0) {
            ::close(childFd);
            continue;
        }
        m_scanned.insert(id);
        m_path.push_back(id);
        ScanFolder(childFd, path, result);
        m_path.pop_back();
    }
    ::closedir(dir);
}
