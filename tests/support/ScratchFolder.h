#pragma once

// A fresh folder for one test (or one process) and the whole-file helpers the
// tests use to fill it and look into it.
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace scratch_detail {

// Memory-backed when the system has it: saves flush to the disk, and hundreds
// of flushes to a real disk would make the tests slow.
inline std::string ScratchBase()
{
    std::error_code ec;
    if (std::filesystem::is_directory("/dev/shm", ec) && ::access("/dev/shm", W_OK) == 0)
        return "/dev/shm";
    const std::filesystem::path temp = std::filesystem::temp_directory_path(ec);
    return ec ? std::string("/tmp") : temp.string();
}

}  // namespace scratch_detail

// Removed with everything in it when the object goes; folders a test made
// read-only or unreadable get their owner's rights back first, so they cannot
// stop the clean-up. Throws when no folder can be made, rather than handing a
// test an empty path that would put its files at the root.
class ScratchFolder {
public:
    ScratchFolder()
    {
        std::string pattern = scratch_detail::ScratchBase() + "/tessaglyph-test-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("no scratch folder in " + pattern + ": " + std::strerror(errno));
        m_path = pattern;
    }
    ~ScratchFolder()
    {
        namespace fs = std::filesystem;
        std::error_code ec;
        ::chmod(m_path.c_str(), 0700);
        // The entry's own status, never its target's: a link to a folder
        // outside must not have that folder's rights changed.
        for (auto it = fs::recursive_directory_iterator(m_path, ec); !ec && it != fs::recursive_directory_iterator();
             it.increment(ec)) {
            if (fs::is_directory(it->symlink_status(ec)))
                ::chmod(it->path().c_str(), 0700);
        }
        fs::remove_all(m_path, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return m_path; }
    // The folder joined with a name, which may hold further folders.
    std::string File(const std::string& name) const { return m_path + "/" + name; }
    std::string operator/(const std::string& name) const { return File(name); }
    // The names in the folder, hidden ones included, sorted.
    std::vector<std::string> Entries() const;

private:
    std::string m_path;
};

// Writes bytes to path, replacing the file and making missing parent
// folders; false when the bytes did not all arrive.
inline bool WriteFile(const std::string& path, const std::string& bytes)
{
    std::error_code ec;
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (!parent.empty())
        std::filesystem::create_directories(parent, ec);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

inline bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    return WriteFile(path, std::string(bytes.begin(), bytes.end()));
}

// The whole file; empty when it cannot be read.
inline std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The same as bytes, for the tests that compare decoded pictures.
inline std::vector<std::uint8_t> ReadAll(const std::string& path)
{
    const std::string bytes = ReadFile(path);
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

// The names in a folder, hidden ones included, sorted; empty when it cannot
// be listed.
inline std::vector<std::string> EntryNames(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (auto it = std::filesystem::directory_iterator(folder, ec); !ec && it != std::filesystem::directory_iterator();
         it.increment(ec))
        names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

inline std::vector<std::string> ScratchFolder::Entries() const
{
    return EntryNames(m_path);
}
