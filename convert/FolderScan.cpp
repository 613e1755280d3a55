#include "FolderScan.h"

#include "OutputFormat.h"
#include "ReadableFormats.h"

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

bool FolderScan::IdentityOf(int fd, const std::string& folder, Identity& id, std::vector<std::string>& skipped)
{
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        skipped.push_back(Skipped(folder, errno));
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    id = Identity{static_cast<unsigned long long>(st.st_dev), static_cast<unsigned long long>(st.st_ino)};
    return true;
}

FolderScan::FolderScan(FileFound onFile) : m_onFile(std::move(onFile)) {}

FolderScanResult FolderScan::Run(const std::string& folder)
{
    FolderScanResult result;
    m_scanned.clear();
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    Identity id{};
    if (!IdentityOf(fd, folder, id, result.skippedFolders))
        return result;
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
            if (TypeFromPath(path) != kTypeUnknown || HasReadableExtension(path)) {
                ++result.filesFound;
                m_onFile(path);
            }
            continue;
        }
        if (type != DT_DIR)
            continue;

        const int childFd = ::openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC | (viaLink ? 0 : O_NOFOLLOW));
        Identity id{};
        if (!IdentityOf(childFd, path, id, result.skippedFolders))
            continue;
        // A real folder can be met after a link already led into it; scanning
        // it again would list the same files twice under other paths.
        if (!m_scanned.insert(id).second) {
            ::close(childFd);
            continue;
        }
        ScanFolder(childFd, path, result);
    }
    ::closedir(dir);
}
