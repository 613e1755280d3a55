#include "FileIo.h"

#include "Naming.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string RandomSuffix()
{
    static thread_local std::mt19937_64 generator{std::random_device{}() ^
                                                  (static_cast<std::uint64_t>(::getpid()) << 32)};
    static const char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string suffix;
    for (int i = 0; i < 10; ++i)
        suffix += kDigits[generator() % (sizeof(kDigits) - 1)];
    return suffix;
}


}  // namespace

std::string FileErrorReason(int errnoValue)
{
    switch (errnoValue) {
    case ENOENT:
    case ENOTDIR:
        return "the folder does not exist";
    case EACCES:
    case EPERM:
        return "permission denied";
    case ENOSPC:
    case EDQUOT:
        return "the disk is full";
    case EFBIG:
        return "the file is too large for the disk";
    case EROFS:
        return "the disk is read-only";
    case EISDIR:
        return "a folder has that name";
    case ENAMETOOLONG:
        return "the name is too long";
    case EIO:
        return "the disk reported an error";
    default:
        return std::strerror(errnoValue);
    }
}

bool ReadFileBytes(const std::string& path, std::uint64_t maxBytes, std::vector<std::uint8_t>& bytes,
                   std::string& error)
{
    bytes.clear();
    // O_NONBLOCK keeps a named pipe from blocking the open; it is refused below.
    UniqueFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (file.Get() < 0) {
        error = errno == ENOENT ? "the file does not exist" : FileErrorReason(errno);
        return false;
    }
    struct stat info {};
    if (::fstat(file.Get(), &info) != 0) {
        error = FileErrorReason(errno);
        return false;
    }
    if (S_ISDIR(info.st_mode)) {
        error = "it is a folder, not a file";
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        error = "it is not a regular file";
        return false;
    }
    if (info.st_size == 0) {
        error = "the file is empty";
        return false;
    }
    if (static_cast<std::uint64_t>(info.st_size) > maxBytes) {
        error = "the file is too large";
        return false;
    }
    try {
        bytes.resize(static_cast<std::size_t>(info.st_size));
    } catch (const std::bad_alloc&) {
        error = "not enough memory";
        return false;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::read(file.Get(), bytes.data() + done, bytes.size() - done);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            error = FileErrorReason(errno);
            bytes.clear();
            return false;
        }
        if (got == 0)
            break;  // the file shrank while we read it
        done += static_cast<std::size_t>(got);
    }
    bytes.resize(done);
    if (bytes.empty()) {
        error = "the file is empty";
        return false;
    }
    return true;
}

bool WriteFileAtomically(const std::string& path, const void* data, std::size_t size, std::string& error)
{
    const std::string folder = FolderOf(path);
    const std::string name(FileNameFromPath(path));
    if (name.empty() || name == "." || name == "..") {
        error = "the file name is empty";
        return false;
    }
    struct stat folderInfo {};
    if (::stat(folder.c_str(), &folderInfo) != 0 || !S_ISDIR(folderInfo.st_mode)) {
        error = "the folder does not exist";
        return false;
    }
    struct stat targetInfo {};
    if (::stat(path.c_str(), &targetInfo) == 0) {
        if (S_ISDIR(targetInfo.st_mode)) {
            error = "a folder has that name";
            return false;
        }
        if (::access(path.c_str(), W_OK) != 0 && errno == EACCES) {
            error = "the file is read-only";
            return false;
        }
    }

    std::string tempPath;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        // Shortened so a name near the length limit still leaves room for the suffix.
        tempPath = folder + "/." + name.substr(0, 96) + "." + RandomSuffix() + ".tmp";
        fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            error = FileErrorReason(errno);
            return false;
        }
    }
    if (fd < 0) {
        error = "no temporary file could be made";
        return false;
    }

    UniqueFd file(fd);
    const bool ok = WriteFully(file.Get(), data, size) && ::fsync(file.Get()) == 0 && file.Close() &&
                    ::rename(tempPath.c_str(), path.c_str()) == 0;
    const int failure = ok ? 0 : errno;
    if (!ok) {
        ::unlink(tempPath.c_str());
        error = FileErrorReason(failure);
        return false;
    }
    // Make the rename itself durable; the file is in place either way.
    UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Get() >= 0)
        ::fsync(dir.Get());
    return true;
}

int UniqueFd::Release()
{
    const int fd = m_fd;
    m_fd = -1;
    return fd;
}

void UniqueFd::Reset(int fd)
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = fd;
}

bool UniqueFd::Close()
{
    return ::close(Release()) == 0;
}

bool WriteFully(int fd, const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    while (size > 0) {
        const ssize_t written = ::write(fd, bytes, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = EIO;
            return false;
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}
