#include "LaunchUrl.h"

#include "LaunchCommand.h"

#ifdef _WIN32
#include <shellapi.h>

#include <cwchar>
#else
#include "DetachedProcess.h"

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <vector>
#endif

namespace {

bool IsRefused(const std::string& url)
{
    // A leading '-' would reach the program as an option, not an address.
    return url.empty() || url.front() == '-';
}

} // namespace

#ifndef _WIN32

namespace {

constexpr int kQueryWaitMs = 3000;
// A desktop file larger than this is not a desktop file.
constexpr std::streamsize kMaxDesktopFileBytes = 1 << 20;

int CodeForLookup(const ProgramLookup& lookup)
{
    return lookup.state == ProgramLookup::State::NotExecutable ? 5 : 2;
}

int CodeForStartError(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR: return 2;
    case EACCES:
    case EPERM: return 5;
    case ENOEXEC:
    case ELIBBAD: return 11;
    case ENOMEM:
    case E2BIG: return 8;
    default: return 0; // fork, pipe or descriptor limits: out of resources
    }
}

int RunOpener(const std::string& url, int waitMs)
{
    const ProgramLookup opener = FindProgram("xdg-open");
    if (opener.state != ProgramLookup::State::Found)
        return CodeForLookup(opener);
    const DetachedStart start = StartDetached(opener.path, {url}, waitMs);
    switch (start.state) {
    case DetachedStart::State::Failed: return CodeForStartError(start.error);
    case DetachedStart::State::Running: return kLaunchSucceeded;
    case DetachedStart::State::Exited: break;
    }
    switch (start.exitCode) {
    case 0: return kLaunchSucceeded;
    case 2: return 2;   // the location does not exist
    case 3: return 31;  // no program for this kind of address
    default: return 27; // bad arguments, or the handler failed
    }
}

// The desktop file id xdg-mime names for mimeType, or empty.
std::string QueryDefaultEntry(const QString& mimeType)
{
    const ProgramLookup xdgMime = FindProgram("xdg-mime");
    if (xdgMime.state != ProgramLookup::State::Found)
        return {};
    QProcess query;
    query.setStandardInputFile(QProcess::nullDevice());
    query.setStandardErrorFile(QProcess::nullDevice());
    query.start(QString::fromStdString(xdgMime.path), {QStringLiteral("query"), QStringLiteral("default"), mimeType});
    if (!query.waitForFinished(kQueryWaitMs)) {
        query.kill();
        query.waitForFinished();
        return {};
    }
    if (query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0)
        return {};
    // A list may come back; the first entry is the preferred one.
    const QByteArray answer = query.readAllStandardOutput();
    if (answer.trimmed().isEmpty())
        return {};
    return answer.split('\n').constFirst().split(';').constFirst().trimmed().toStdString();
}

std::vector<std::string> ApplicationFolders()
{
    std::vector<std::string> folders;
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    if (dataHome && dataHome[0] == '/')
        folders.emplace_back(dataHome);
    else if (home && home[0] == '/')
        folders.push_back(std::string(home) + "/.local/share");
    const char* dataDirs = std::getenv("XDG_DATA_DIRS");
    const std::string list = dataDirs && dataDirs[0] ? dataDirs : "/usr/local/share/:/usr/share/";
    std::string::size_type start = 0;
    for (;;) {
        const auto end = list.find(':', start);
        const std::string folder = list.substr(start, end == std::string::npos ? end : end - start);
        if (!folder.empty() && folder.front() == '/') // relative entries are invalid
            folders.push_back(folder);
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    for (std::string& folder : folders)
        folder += "/applications/";
    return folders;
}

std::optional<std::string> ReadSmallFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;
    std::string text(static_cast<std::size_t>(kMaxDesktopFileBytes), '\0');
    file.read(text.data(), kMaxDesktopFileBytes);
    text.resize(static_cast<std::size_t>(file.gcount()));
    return text;
}

// The text of the desktop file registered for web pages, the first found in
// the folders' order of precedence.
std::optional<std::string> RegisteredBrowserEntry()
{
    std::string id = QueryDefaultEntry(QStringLiteral("x-scheme-handler/http"));
    if (id.empty())
        id = QueryDefaultEntry(QStringLiteral("text/html"));
    if (id.empty())
        return std::nullopt;
    for (const std::string& folder : ApplicationFolders()) {
        for (const std::string& candidate : DesktopFileCandidates(id)) {
            if (auto text = ReadSmallFile(folder + candidate))
                return text;
        }
    }
    return std::nullopt;
}

int RunRegisteredBrowser(const std::string& entryText, const std::string& url)
{
    const auto exec = DesktopEntryExec(entryText);
    const auto command = exec ? BuildLaunchCommand(*exec, url) : std::nullopt;
    if (!command)
        return 27;
    const ProgramLookup program = FindProgram(command->front());
    if (program.state != ProgramLookup::State::Found)
        return CodeForLookup(program);
    const std::vector<std::string> arguments(std::next(command->begin()), command->end());
    // Like starting any program: success once it runs, whatever it does then.
    const DetachedStart start = StartDetached(program.path, arguments, 0);
    if (start.state == DetachedStart::State::Failed)
        return CodeForStartError(start.error);
    return kLaunchSucceeded;
}

} // namespace

int LaunchUrl(const std::string& url, int showCommand, const LaunchOptions& options)
{
    static_cast<void>(showCommand); // the desktop places the browser's window
    if (IsRefused(url))
        return 2;
    const int result = RunOpener(url, options.openerWaitMs);
    if (result > 32)
        return result;
    const auto entry = RegisteredBrowserEntry();
    if (!entry)
        return result;
    return RunRegisteredBrowser(*entry, url);
}

#else // _WIN32

namespace {

std::wstring Wide(const std::string& utf8)
{
    if (utf8.empty())
        return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
    return wide;
}

std::string Utf8(const std::wstring& wide)
{
    if (wide.empty())
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), size, nullptr,
                        nullptr);
    return utf8;
}

// The default value of a key under HKEY_CLASSES_ROOT; false when the key
// cannot be opened or holds no text.
bool ReadClassesRootDefault(const std::wstring& key, std::wstring& value)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_QUERY_VALUE, &handle) != ERROR_SUCCESS)
        return false;
    DWORD type = 0;
    DWORD size = 0;
    bool ok = RegQueryValueExW(handle, nullptr, nullptr, &type, nullptr, &size) == ERROR_SUCCESS
              && (type == REG_SZ || type == REG_EXPAND_SZ) && size > 0;
    if (ok) {
        std::wstring buffer(size / sizeof(wchar_t) + 1, L'\0');
        ok = RegQueryValueExW(handle, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer.data()), &size)
             == ERROR_SUCCESS;
        buffer.resize(wcslen(buffer.c_str()));
        value = buffer;
    }
    RegCloseKey(handle);
    return ok && !value.empty();
}

int CodeForCreateError(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND: return 2;
    case ERROR_PATH_NOT_FOUND: return 3;
    case ERROR_ACCESS_DENIED: return 5;
    case ERROR_BAD_EXE_FORMAT: return 11;
    default: return 0;
    }
}

} // namespace

int LaunchUrl(const std::string& url, int showCommand, const LaunchOptions&)
{
    if (IsRefused(url))
        return 2;
    const INT_PTR shellResult = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", Wide(url).c_str(), nullptr, nullptr, showCommand));
    if (shellResult > 32)
        return kLaunchSucceeded;
    const int result = static_cast<int>(shellResult);
    std::wstring className;
    std::wstring commandTemplate;
    if (!ReadClassesRootDefault(L".htm", className)
        || !ReadClassesRootDefault(className + L"\\shell\\open\\command", commandTemplate))
        return result;
    // The address is quoted as one argument, so it cannot add arguments of its own.
    std::wstring commandLine = Wide(BuildWindowsCommandLine(Utf8(commandTemplate), url));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showCommand);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return CodeForCreateError(GetLastError());
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return kLaunchSucceeded;
}

#endif

int LaunchUrl(const std::string& url, int showCommand)
{
    return LaunchUrl(url, showCommand, LaunchOptions{});
}
