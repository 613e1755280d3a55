#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Plain file reading and writing for the codec. Paths are used as given and
// never interpreted. Failures give false and a short reason for the user
// ("the folder does not exist", "permission denied", "the disk is full").

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
