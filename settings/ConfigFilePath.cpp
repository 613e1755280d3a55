#include "ConfigFilePath.h"

#include "SystemInfo.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace {

constexpr const char* kFileName = "config.ini";

std::string EnvironmentText(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

// Whether `folder` is where the program was installed: the configured bin
// folder, or the installed layout (bin/ beside share/tessaglyph/) wherever
// the install was moved to.
bool IsInstalledFolder(const std::string& folder, const std::string& installBinFolder)
{
    namespace fs = std::filesystem;
    std::string trimmed = folder;
    while (trimmed.size() > 1 && trimmed.back() == '/')
        trimmed.pop_back();
    std::error_code ec;
    const fs::path here = fs::weakly_canonical(trimmed, ec);
    if (ec)
        return false;
    if (!installBinFolder.empty() && here == fs::weakly_canonical(installBinFolder, ec) && !ec)
        return true;
    return here.filename() == "bin" && fs::is_directory(here.parent_path() / "share" / "tessaglyph", ec);
}

} // namespace

std::string ConfigFilePath(const std::string& executablePath, const std::string& xdgConfigHome,
                           const std::string& home, const std::string& installBinFolder)
{
    std::string besideProgram;
    if (!executablePath.empty()) {
        const std::size_t slash = executablePath.rfind('/');
        const std::string folder =
            slash == std::string::npos ? std::string(".") : executablePath.substr(0, slash + 1);
        besideProgram = slash == std::string::npos ? std::string(kFileName) : folder + kFileName;
        if (IsWritableFile(besideProgram) ||
            (!IsInstalledFolder(folder, installBinFolder) && IsWritableFolder(folder)))
            return besideProgram;
    }

    std::string base;
    if (!xdgConfigHome.empty() && xdgConfigHome.front() == '/')
        base = xdgConfigHome;
    else if (!home.empty())
        base = home + "/.config";
    else
        return besideProgram.empty() ? std::string(kFileName) : besideProgram;
    if (base.back() != '/')
        base += '/';
    return base + "tessaglyph/" + kFileName;
}

std::string ConfigFilePath()
{
    return ConfigFilePath(ExecutablePath(), EnvironmentText("XDG_CONFIG_HOME"), HomeFolder(),
                          TESSAGLYPH_INSTALL_BINDIR);
}
