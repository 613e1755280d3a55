#include "WorkerLocation.h"

#include "SystemInfo.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

std::string ExecutableFolder()
{
    const std::string self = ExecutablePath();
    return self.empty() ? std::string() : fs::path(self).parent_path().string();
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
