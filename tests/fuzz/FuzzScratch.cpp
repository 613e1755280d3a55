#include "FuzzScratch.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class Scratch {
public:
    Scratch()
    {
        std::error_code ec;
        const fs::path base = fs::is_directory("/dev/shm", ec) && ::access("/dev/shm", W_OK) == 0
                                  ? fs::path("/dev/shm")
                                  : fs::temp_directory_path(ec);
        m_path = (base / ("tessaglyph-fuzz-" + std::to_string(::getpid()))).string();
        fs::create_directories(m_path, ec);
    }
    ~Scratch()
    {
        std::error_code ec;
        fs::remove_all(m_path, ec);
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

}  // namespace

const std::string& FuzzScratchFolder()
{
    static const Scratch scratch;
    return scratch.Path();
}

bool WriteWholeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}
