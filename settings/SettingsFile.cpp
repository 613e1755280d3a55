#include "SettingsFile.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Opens the file with O_NONBLOCK so that a FIFO put where the file should be
// cannot hang us before fstat has seen that it is not a regular file.
int OpenForReading(const std::string& path)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd >= 0 || errno != ENOENT)
        return fd;
    const int created = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (created >= 0) {
        ::close(created);
    } else if (errno != EEXIST) {
        return -1;
    }
    // Made just now, or by someone else in between: read whatever is there.
    return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
}

bool ReadAll(int fd, std::string& bytes)
{
    constexpr std::size_t kChunk = 64 * 1024;
    std::size_t used = 0;
    for (;;) {
        bytes.resize(used + kChunk);
        const ssize_t n = ::read(fd, bytes.data() + used, kChunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            bytes.clear();
            return false;
        }
        if (n == 0)
            break;
        used += static_cast<std::size_t>(n);
    }
    bytes.resize(used);
    return true;
}

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Writes, flushes to disk and closes; a close error counts, as on some file
// systems it is the first sign of a failed write.
bool WriteSyncClose(int fd, std::string_view bytes)
{
    const bool written = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    return written && closed;
}

bool IsWritableForUs(const std::string& path)
{
    return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return path.substr(0, slash == 0 ? 1 : slash);
}

// A new file in `folder` under a name no other save uses at the same time.
int CreateTemporaryIn(const std::string& folder, std::string& tempPath)
{
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath = folder + "/.tessaglyph-" + std::to_string(::getpid()) + "-" +
                   std::to_string(stamp) + "-" + std::to_string(counter++) + ".tmp";
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// Best effort: makes the rename itself survive a power cut.
void SyncFolder(const std::string& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

bool ReadOrCreateFile(const std::string& path, std::string& bytes)
{
    bytes.clear();
    if (path.empty())
        return false;
    const int fd = OpenForReading(path);
    if (fd < 0)
        return false;
    struct stat info {};
    const bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && ReadAll(fd, bytes);
    ::close(fd);
    return ok;
}

bool ReplaceFile(const std::string& path, std::string_view bytes)
{
    if (path.empty())
        return false;

    std::string target = path;
    struct stat old {};
    bool exists = false;
    if (::stat(path.c_str(), &old) == 0) {
        // A write-protected file is the user's way of saying "keep this".
        if (!S_ISREG(old.st_mode) || !IsWritableForUs(path))
            return false;
        exists = true;
        std::error_code ec;
        if (fs::is_symlink(path, ec)) {
            const fs::path real = fs::canonical(path, ec);
            if (!ec)
                target = real.string();
        }
    } else if (errno != ENOENT) {
        return false;
    }

    const std::string folder = FolderOf(target);
    std::string tempPath;
    const int fd = CreateTemporaryIn(folder, tempPath);
    if (fd < 0) {
        if (exists && (errno == EACCES || errno == EPERM)) {
            const int inPlace = ::open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
            return inPlace >= 0 && WriteSyncClose(inPlace, bytes);
        }
        return false;
    }
    if (exists)
        ::fchmod(fd, old.st_mode & 07777);
    if (!WriteSyncClose(fd, bytes) || ::rename(tempPath.c_str(), target.c_str()) != 0) {
        ::unlink(tempPath.c_str());
        return false;
    }
    SyncFolder(folder);
    return true;
}
