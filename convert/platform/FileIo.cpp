#include "FileIo.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <cstdio>
#include <dirent.h>
#include <filesystem>
#include <fcntl.h>
#include <mutex>
#include <new>
#include <random>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string NameOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
constexpr std::size_t kRandomLength = 5;
constexpr char kTempEnd[] = ".tmp";

// Five base-36 digits hold every process id Linux hands out (at most 2^22),
// so the engine can tell the temporary files of one dead worker.
std::string ProcessTag(long pid)
{
    std::string tag(5, '0');
    for (std::size_t i = tag.size(); i-- > 0 && pid > 0; pid /= 36)
        tag[i] = kDigits[pid % 36];
    return tag;
}

// ".<name>.<process tag>": shortened so a name near the length limit still
// leaves room for the rest.
std::string TempNameStart(const std::string& name, long pid)
{
    return "." + name.substr(0, 96) + "." + ProcessTag(pid);
}

std::string RandomPart()
{
    static thread_local std::mt19937_64 generator{std::random_device{}() ^
                                                  (static_cast<std::uint64_t>(::getpid()) << 32)};
    std::string part;
    for (std::size_t i = 0; i < kRandomLength; ++i)
        part += kDigits[generator() % (sizeof(kDigits) - 1)];
    return part;
}

// The temporary files this process has made and not yet renamed or removed.
// The lock is held while one is made, renamed or removed, so a process that
// clears them on its way out cannot miss one.
struct TempFilesInProgress {
    std::mutex mutex;
    std::set<std::string> paths;
};

TempFilesInProgress& InProgress()
{
    // Never destroyed: a worker's watcher thread may clear it while the main
    // thread's exit() runs the static destructors. A union member is only
    // destroyed by its union's own destructor, which here leaves it alone.
    union Holder {
        Holder() : files() {}
        ~Holder() {}
        TempFilesInProgress files;
    };
    static Holder holder;
    return holder.files;
}

// Gives a replacing file the rights of the one it replaces: the owner and
// group where we may (root; or a group of ours), then the permission bits.
bool KeepRights(int fd, const struct stat& old)
{
    bool ownerKept = old.st_uid == ::geteuid();
    if (::geteuid() == 0)
        ownerKept = ::fchown(fd, old.st_uid, old.st_gid) == 0;
    else if (old.st_gid != ::getegid())
        (void)!::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
    // Set-id bits only on a file that still belongs to their owner.
    return ::fchmod(fd, old.st_mode & (ownerKept ? 07777 : 0777)) == 0;
}


// Reads until `size` bytes are in or the file ends; the count read, or -1
// with errno set.
ssize_t ReadUpTo(int fd, std::uint8_t* data, std::size_t size)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = ::read(fd, data + done, size - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    return static_cast<ssize_t>(done);
}

// Opens with O_NONBLOCK so that a FIFO put where the file should be cannot
// hang us before fstat has seen that it is not a regular file.
int OpenOrCreateForReading(const std::string& path)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd >= 0 || errno != ENOENT)
        return fd;
    const int created = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (created >= 0)
        ::close(created);
    else if (errno != EEXIST)
        return -1;
    // Made just now, or by someone else in between: read whatever is there.
    return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
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

namespace {

// Opens a regular file of 1 to maxBytes bytes for reading; -1 with a reason otherwise.
int OpenPictureFile(const std::string& path, std::uint64_t maxBytes, std::uint64_t& fileSize, std::string& error)
{
    // O_NONBLOCK keeps a named pipe from blocking the open; it is refused below.
    UniqueFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (file.Get() < 0) {
        error = errno == ENOENT ? "the file does not exist" : FileErrorReason(errno);
        return -1;
    }
    struct stat info {};
    if (::fstat(file.Get(), &info) != 0) {
        error = FileErrorReason(errno);
        return -1;
    }
    if (S_ISDIR(info.st_mode)) {
        error = "it is a folder, not a file";
        return -1;
    }
    if (!S_ISREG(info.st_mode)) {
        error = "it is not a regular file";
        return -1;
    }
    if (info.st_size == 0) {
        error = "the file is empty";
        return -1;
    }
    if (static_cast<std::uint64_t>(info.st_size) > maxBytes) {
        error = "the file is too large";
        return -1;
    }
    fileSize = static_cast<std::uint64_t>(info.st_size);
    return file.Release();
}

bool ReadOpenFile(const std::string& path, std::uint64_t maxBytes, std::size_t wanted, std::vector<std::uint8_t>& bytes,
                  std::string& error)
{
    bytes.clear();
    std::uint64_t fileSize = 0;
    UniqueFd file(OpenPictureFile(path, maxBytes, fileSize, error));
    if (file.Get() < 0)
        return false;
    try {
        bytes.resize(static_cast<std::size_t>(std::min<std::uint64_t>(fileSize, wanted)));
    } catch (const std::bad_alloc&) {
        error = "not enough memory";
        return false;
    }
    const ssize_t done = ReadUpTo(file.Get(), bytes.data(), bytes.size());
    if (done < 0) {
        error = FileErrorReason(errno);
        bytes.clear();
        return false;
    }
    bytes.resize(static_cast<std::size_t>(done));  // the file may have shrunk while we read it
    if (bytes.empty()) {
        error = "the file is empty";
        return false;
    }
    return true;
}

}  // namespace

bool ReadFileBytes(const std::string& path, std::uint64_t maxBytes, std::vector<std::uint8_t>& bytes,
                   std::string& error)
{
    return ReadOpenFile(path, maxBytes, SIZE_MAX, bytes, error);
}

bool ReadFileHead(const std::string& path, std::uint64_t maxBytes, std::size_t headBytes,
                  std::vector<std::uint8_t>& bytes, std::string& error)
{
    return ReadOpenFile(path, maxBytes, headBytes, bytes, error);
}

namespace {

// A temporary file beside `path`, holding `data`, flushed and closed; its
// name is kept among those in progress until Discard or a publish removes it.
// Given the rights of `replaced` when there is one.
bool WriteTemporaryFile(const std::string& path, const struct stat* replaced, const void* data, std::size_t size,
                        std::string& tempPath, std::string& error)
{
    TempFilesInProgress& inProgress = InProgress();
    const std::string tempStart = FolderOf(path) + "/" + TempNameStart(NameOf(path), ::getpid());
    UniqueFd file;
    {
        std::lock_guard<std::mutex> lock(inProgress.mutex);
        for (int attempt = 0; attempt < 100 && file.Get() < 0; ++attempt) {
            tempPath = tempStart + RandomPart() + kTempEnd;
            // Private until it has the rights of the file it replaces.
            file.Reset(::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, replaced ? 0600 : 0666));
            if (file.Get() < 0 && errno != EEXIST) {
                error = FileErrorReason(errno);
                return false;
            }
        }
        if (file.Get() < 0) {
            error = "no temporary file could be made";
            return false;
        }
        inProgress.paths.insert(tempPath);
    }
    bool ok = !replaced || KeepRights(file.Get(), *replaced);
    ok = ok && WriteFully(file.Get(), data, size) && ::fsync(file.Get()) == 0 && file.Close();
    if (!ok) {
        const int failure = errno;
        std::lock_guard<std::mutex> lock(inProgress.mutex);
        ::unlink(tempPath.c_str());
        inProgress.paths.erase(tempPath);
        error = FileErrorReason(failure);
    }
    return ok;
}

// Moves the temporary file to `path` with `publish` (0 or an errno value),
// under the lock that keeps a process on its way out from missing it; the
// temporary file is gone afterwards whatever happened.
int PublishTemporaryFile(const std::string& tempPath, const std::function<int()>& publish)
{
    TempFilesInProgress& inProgress = InProgress();
    std::lock_guard<std::mutex> lock(inProgress.mutex);
    const int failure = publish();
    if (failure != 0)
        ::unlink(tempPath.c_str());
    inProgress.paths.erase(tempPath);
    return failure;
}

// Makes the rename itself durable; the file is in place either way.
void SyncFolder(const std::string& folder)
{
    UniqueFd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Get() >= 0)
        ::fsync(dir.Get());
}

bool FolderExists(const std::string& folder, std::string& error)
{
    struct stat folderInfo {};
    if (::stat(folder.c_str(), &folderInfo) != 0 || !S_ISDIR(folderInfo.st_mode)) {
        error = "the folder does not exist";
        return false;
    }
    return true;
}

bool HasFileName(const std::string& path, std::string& error)
{
    const std::string name = NameOf(path);
    if (name.empty() || name == "." || name == "..") {
        error = "the file name is empty";
        return false;
    }
    return true;
}

// 0 once `tempPath` is at `path`, EEXIST when something has that name.
int MoveWithoutReplacing(const std::string& tempPath, const std::string& path)
{
    if (::renameat2(AT_FDCWD, tempPath.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system without that rename: a hard link refuses a taken name too.
    if (::link(tempPath.c_str(), path.c_str()) != 0)
        return errno;
    ::unlink(tempPath.c_str());
    return 0;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, const void* data, std::size_t size, std::string& error)
{
    if (!HasFileName(path, error) || !FolderExists(FolderOf(path), error))
        return false;
    struct stat targetInfo {};
    const bool replacing = ::stat(path.c_str(), &targetInfo) == 0;
    if (replacing) {
        if (S_ISDIR(targetInfo.st_mode)) {
            error = "a folder has that name";
            return false;
        }
        // No write bit at all says "keep this" to root as well.
        if ((targetInfo.st_mode & 0222) == 0 || (::access(path.c_str(), W_OK) != 0 && errno == EACCES)) {
            error = "the file is read-only";
            return false;
        }
    }
    std::string tempPath;
    if (!WriteTemporaryFile(path, replacing ? &targetInfo : nullptr, data, size, tempPath, error))
        return false;
    const int failure = PublishTemporaryFile(
        tempPath, [&] { return ::rename(tempPath.c_str(), path.c_str()) == 0 ? 0 : errno; });
    if (failure != 0) {
        error = FileErrorReason(failure);
        return false;
    }
    SyncFolder(FolderOf(path));
    return true;
}

NewFileOutcome WriteNewFile(const std::function<std::string(unsigned n)>& candidate, unsigned tries, const void* data,
                            std::size_t size, std::string& writtenPath, std::string& error)
{
    const std::string first = candidate(1);
    if (!HasFileName(first, error) || !FolderExists(FolderOf(first), error))
        return NewFileOutcome::Failed;
    std::string tempPath;
    if (!WriteTemporaryFile(first, nullptr, data, size, tempPath, error))
        return NewFileOutcome::Failed;
    int failure = EEXIST;
    const int published = PublishTemporaryFile(tempPath, [&] {
        for (unsigned n = 1; n <= tries && failure == EEXIST; ++n) {
            writtenPath = candidate(n);
            failure = MoveWithoutReplacing(tempPath, writtenPath);
        }
        return failure;
    });
    if (published == EEXIST)
        return NewFileOutcome::Exists;
    if (published != 0) {
        error = FileErrorReason(published);
        return NewFileOutcome::Failed;
    }
    SyncFolder(FolderOf(writtenPath));
    return NewFileOutcome::Written;
}

bool MakeFolders(const std::string& folder, std::string& error)
{
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (std::filesystem::is_directory(folder, ec))
        return true;
    error = ec ? FileErrorReason(ec.value()) : "a file has the folder's name";
    return false;
}

bool ReadOrCreateFile(const std::string& path, std::string& bytes)
{
    bytes.clear();
    if (path.empty())
        return false;
    UniqueFd file(OpenOrCreateForReading(path));
    struct stat info {};
    if (file.Get() < 0 || ::fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    // The size is only a first guess: the file may grow while we read it.
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(info.st_size) + 64 * 1024);
    std::size_t used = 0;
    for (;;) {
        const ssize_t got = ReadUpTo(file.Get(), buffer.data() + used, buffer.size() - used);
        if (got < 0)
            return false;
        used += static_cast<std::size_t>(got);
        if (used < buffer.size())
            break;
        buffer.resize(buffer.size() * 2);
    }
    bytes.assign(reinterpret_cast<const char*>(buffer.data()), used);
    return true;
}

bool ReplaceFile(const std::string& path, std::string_view bytes)
{
    if (path.empty())
        return false;
    std::string target = path;
    struct stat old {};
    const bool exists = ::stat(path.c_str(), &old) == 0;
    if (!exists && errno != ENOENT)
        return false;
    if (exists) {
        if (!S_ISREG(old.st_mode))
            return false;
        std::error_code ec;
        if (std::filesystem::is_symlink(path, ec)) {
            const std::filesystem::path real = std::filesystem::canonical(path, ec);
            if (!ec)
                target = real.string();
        }
    }
    std::string error;
    if (WriteFileAtomically(target, bytes.data(), bytes.size(), error))
        return true;
    // A folder we may not write to leaves one way to save a file we may write.
    const bool folderClosed = ::access(FolderOf(target).c_str(), W_OK) != 0 && (errno == EACCES || errno == EPERM);
    if (!exists || !folderClosed || error == "the file is read-only")
        return false;
    UniqueFd file(::open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOCTTY));
    return file.Get() >= 0 && WriteFully(file.Get(), bytes.data(), bytes.size()) && ::fsync(file.Get()) == 0 &&
           file.Close();
}

// One stat: a repaint asks for it every time.
FileStamp StampOf(const std::string& path)
{
    FileStamp stamp;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return stamp;
    stamp.exists = true;
    if (S_ISREG(info.st_mode))
        stamp.size = static_cast<std::uintmax_t>(info.st_size);
    stamp.modified = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
    return stamp;
}

PathIdentity IdentifyPath(const std::string& path)
{
    PathIdentity identity;
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return identity;
    identity.exists = true;
    identity.self = FileId{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
    identity.isLink = S_ISLNK(info.st_mode);
    if (identity.isLink && ::stat(path.c_str(), &info) == 0) {
        identity.hasTarget = true;
        identity.target = FileId{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
    }
    return identity;
}

void RemoveTemporaryFiles(const std::string& path, long pid)
{
    const std::string start = TempNameStart(NameOf(path), pid);
    const std::size_t length = start.size() + kRandomLength + sizeof(kTempEnd) - 1;
    DIR* dir = ::opendir(FolderOf(path).c_str());
    if (!dir)
        return;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name(entry->d_name);
        if (name.size() == length && name.compare(0, start.size(), start) == 0 &&
            name.compare(length - (sizeof(kTempEnd) - 1), std::string_view::npos, kTempEnd) == 0)
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

void RemoveTemporaryFilesInProgress()
{
    TempFilesInProgress& inProgress = InProgress();
    inProgress.mutex.lock();  // never unlocked: the process ends next
    for (const std::string& path : inProgress.paths)
        ::unlink(path.c_str());
    inProgress.paths.clear();
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
