#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Whole-file reading and safe replacing, for the pictures and the settings
// alike. Paths are used as given and never interpreted. Failures give false
// and, where a user reads it, a short reason ("the folder does not exist",
// "permission denied", "the disk is full"). No exceptions but std::bad_alloc.

// Reads a whole regular file of at most maxBytes bytes. Folders, devices and
// pipes are refused, so a read never blocks or runs without end.
bool ReadFileBytes(const std::string& path, std::uint64_t maxBytes, std::vector<std::uint8_t>& bytes,
                   std::string& error);

// The first headBytes bytes (fewer when the file is shorter) of a file
// ReadFileBytes would read, refusing what it refuses.
bool ReadFileHead(const std::string& path, std::uint64_t maxBytes, std::size_t headBytes,
                  std::vector<std::uint8_t>& bytes, std::string& error);

// Writes `size` bytes to `path` through a uniquely named temporary file in the
// same folder (".<name>.<10 characters>.tmp", the first five standing for the
// writing process), flushed to the disk and renamed into place. On failure the
// temporary file is removed and an existing file at `path` is left untouched.
// An existing file we may not write to, or that has no write bit at all (even
// for root), is not replaced ("the file is read-only"). A replaced file keeps
// its permission bits, and when root writes, its owner and group.
bool WriteFileAtomically(const std::string& path, const void* data, std::size_t size, std::string& error);

// Writes as WriteFileAtomically does, but never over anything that exists:
// the name is claimed at the moment the file appears (a rename that refuses
// to replace, or a hard link where the file system lacks that), so of two
// writers, in one process or two, only one gets a name. `candidate(n)` gives
// the n-th name to try, from n = 1, at most `tries` of them, all in one
// folder. Exists when every name tried was taken; `writtenPath` gets the name
// taken when Written.
enum class NewFileOutcome { Written, Exists, Failed };
NewFileOutcome WriteNewFile(const std::function<std::string(unsigned n)>& candidate, unsigned tries, const void* data,
                            std::size_t size, std::string& writtenPath, std::string& error);

// Makes the folder and those above it that are missing; true when it is
// there at the end. The reason names what failed ("permission denied").
bool MakeFolders(const std::string& folder, std::string& error);

// Reads the regular file at `path` into `bytes`. An absent file is created
// empty (so a first start leaves a file to edit) and reads as no bytes.
// False for anything that is not a regular file, or that can neither be read
// nor created.
bool ReadOrCreateFile(const std::string& path, std::string& bytes);

// Replaces the file at `path` with `bytes` as WriteFileAtomically does; through
// a symbolic link, the file it points to is replaced. When the folder cannot
// be written but the file can, the file is rewritten in place, the one way
// left to save; only then can a failed write leave the file short. False,
// with nothing changed on disk, when `path` names something other than a
// regular file, when an existing file is not writable, or when writing fails.
bool ReplaceFile(const std::string& path, std::string_view bytes);

// Which file a path names, told apart by device and inode number.
struct FileId {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileId& other) const { return device == other.device && inode == other.inode; }
    bool operator!=(const FileId& other) const { return !(*this == other); }
};

struct PathIdentity {
    bool exists = false;   // something has that name (a dangling link included)
    FileId self;           // what the name itself is (for a link, the link)
    bool isLink = false;
    bool hasTarget = false;  // a link that points to something
    FileId target;           // what a link points to, when hasTarget
};

// Enough of a file's state to tell that it changed: size and modification
// time.
struct FileStamp {
    bool exists = false;
    std::uintmax_t size = 0;
    std::int64_t modified = 0;  // nanoseconds since the epoch

    bool operator==(const FileStamp& other) const
    {
        return exists == other.exists && size == other.size && modified == other.modified;
    }
};

// Looks at the file (following links); never throws.
FileStamp StampOf(const std::string& path);

// Asks the file system about `path`, not following a link but saying where
// it points.
PathIdentity IdentifyPath(const std::string& path);

// Removes the temporary files that process `pid` may have left beside `path`
// while writing it, for a writer that died before it could. Call it only
// once that process is gone.
void RemoveTemporaryFiles(const std::string& path, long pid);

// For a process about to end in the middle of a write: removes the temporary
// files that writes of this process have under way, and holds back every
// later write for good, so none can start a new one before the end.
void RemoveTemporaryFilesInProgress();

// A short reason for the user for a failed file-system call.
std::string FileErrorReason(int errnoValue);

// A file descriptor owned until released; closed on every way out.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : m_fd(fd) {}
    ~UniqueFd() { Reset(); }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int Get() const { return m_fd; }
    int Release();
    void Reset(int fd = -1);
    // Closes now and reports the result: a failed close can mean lost data.
    bool Close();

private:
    int m_fd = -1;
};

// Writes all `size` bytes, going on after interruptions and short writes;
// blocks on a blocking descriptor. False with errno set when a write fails (a
// write of nothing counts as EIO). Only calls write(), so a forked child may
// use it.
bool WriteFully(int fd, const void* data, std::size_t size);
