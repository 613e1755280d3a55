#include "FolderReader.h"

#include <cerrno>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

struct FolderReader::Handle {
    DIR* dir = nullptr;
    ~Handle()
    {
        if (dir)
            ::closedir(dir);
    }
};

namespace {

// Takes over `fd`, open on a folder.
std::unique_ptr<FolderReader> Adopt(int fd, std::string* error)
{
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        *error = std::strerror(errno);
        if (fd >= 0)
            ::close(fd);
        return nullptr;
    }
    auto handle = std::make_unique<FolderReader::Handle>();
    handle->dir = ::fdopendir(fd);
    if (!handle->dir) {
        *error = std::strerror(errno);
        ::close(fd);
        return nullptr;
    }
    const FileId id{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
    return std::make_unique<FolderReader>(std::move(handle), id);
}

FolderReader::Kind KindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return FolderReader::Kind::Folder;
    return S_ISREG(mode) ? FolderReader::Kind::File : FolderReader::Kind::Other;
}

}  // namespace

FolderReader::FolderReader(std::unique_ptr<Handle> handle, FileId id) : m_handle(std::move(handle)), m_id(id) {}

FolderReader::~FolderReader() = default;

std::unique_ptr<FolderReader> FolderReader::Open(const std::string& path, std::string* error)
{
    return Adopt(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC), error);
}

std::unique_ptr<FolderReader> FolderReader::OpenChild(const Entry& entry, std::string* error) const
{
    const int fd = ::openat(::dirfd(m_handle->dir), entry.name.c_str(),
                            O_RDONLY | O_DIRECTORY | O_CLOEXEC | (entry.viaLink ? 0 : O_NOFOLLOW));
    return Adopt(fd, error);
}

bool FolderReader::Next(Entry& entry, std::string* error)
{
    const int dirFd = ::dirfd(m_handle->dir);
    for (;;) {
        errno = 0;
        const dirent* found = ::readdir(m_handle->dir);
        if (!found) {
            if (errno != 0)
                *error = std::strerror(errno);
            return false;
        }
        const char* name = found->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            continue;

        unsigned char type = found->d_type;
        struct stat st {};
        if (type == DT_UNKNOWN) {
            if (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                continue;  // gone since it was listed
            type = S_ISLNK(st.st_mode) ? DT_LNK : S_ISDIR(st.st_mode) ? DT_DIR : S_ISREG(st.st_mode) ? DT_REG : DT_FIFO;
        }
        entry.name = name;
        entry.viaLink = type == DT_LNK;
        if (entry.viaLink)
            entry.kind = ::fstatat(dirFd, name, &st, 0) != 0 ? Kind::File : KindOf(st.st_mode);
        else
            entry.kind = type == DT_DIR ? Kind::Folder : type == DT_REG ? Kind::File : Kind::Other;
        return true;
    }
}
