#include "WorkerLocation.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

std::string ExecutableFolder()
{
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : self.parent_path().string();
}

std::string DefaultWorkerProgram()
{
    const std::string folder = ExecutableFolder();
    return (fs::path(folder.empty() ? "." : folder) / kWorkerProgramName).string();
}

std::string FindPolicyFolder(const std::string& workerProgram)
{
    std::error_code ec;
    fs::path program = fs::canonical(workerProgram, ec);
    if (ec)
        program = fs::absolute(workerProgram, ec);
    const fs::path folder = program.parent_path();
    for (const fs::path& candidate : {folder / "magick", folder.parent_path() / "share" / "tessaglyph" / "magick"}) {
        if (fs::is_regular_file(candidate / "policy.xml", ec))
            return candidate.string();
    }
    return {};
}
