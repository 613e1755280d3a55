#include "LaunchUrl.h"

#include "LaunchCommand.h"

#ifdef _WIN32
#include <shellapi.h>

#include <cwchar>
#else
#include "DefaultApplication.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

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

// Starts program (a name looked up in $PATH, or an absolute path) with
// arguments and lets it run on its own; Qt reaps it.
int StartProgram(const std::string& program, const std::vector<std::string>& arguments)
{
    const QString path = QStandardPaths::findExecutable(QString::fromStdString(program));
    if (path.isEmpty())
        return 2;  // not found, or not executable
    QStringList list;
    for (const std::string& argument : arguments)
        list << QString::fromStdString(argument);
    QProcess process;
    process.setProgram(path);
    process.setArguments(list);
    process.setStandardInputFile(QProcess::nullDevice());
    return process.startDetached() ? kLaunchSucceeded : 11;
}

// The kinds of document whose default application opens url, most specific first.
std::vector<std::string> MimeTypesFor(const std::string& url)
{
    std::vector<std::string> types;
    const std::size_t colon = url.find(':');
    const std::string scheme = colon == std::string::npos ? std::string() : url.substr(0, colon);
    if (!scheme.empty() && scheme.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789+-.")
                               == std::string::npos)
        types.push_back("x-scheme-handler/" + QString::fromStdString(scheme).toLower().toStdString());
    if (types.empty() || types.front() != "x-scheme-handler/http")
        types.push_back("x-scheme-handler/http");
    types.push_back("text/html");
    return types;
}

int RunRegisteredBrowser(const std::string& entryText, const std::string& url)
{
    const auto exec = DesktopEntryExec(entryText);
    const auto command = exec ? BuildLaunchCommand(*exec, url) : std::nullopt;
    if (!command)
        return 27;
    // Like starting any program: success once it runs, whatever it does then.
    return StartProgram(command->front(), std::vector<std::string>(std::next(command->begin()), command->end()));
}

// How long xdg-open is given to say that it found no handler. It ends as
// soon as it has handed the address on, so this wait is short in practice.
constexpr int kOpenerVerdictMs = 2000;

// Runs the desktop's opener and waits briefly for its verdict: its exit code
// tells "no handler" apart from success. One that is still busy after the
// wait has started something and is left to finish on its own.
int RunDesktopOpener(const std::string& url)
{
    const QString path = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (path.isEmpty())
        return 2;
    // Owned by the application once it outlives this call; gone when it ends.
    auto* process = new QProcess(QCoreApplication::instance());
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->start(path, {QString::fromStdString(url)});
    if (!process->waitForStarted()) {
        process->deleteLater();
        return 11;
    }
    if (!process->waitForFinished(kOpenerVerdictMs))
        return kLaunchSucceeded;
    return process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0 ? kLaunchSucceeded : 31;
}

} // namespace

int LaunchUrl(const std::string& url, int showCommand)
{
    static_cast<void>(showCommand); // the desktop places the browser's window
    if (IsRefused(url))
        return 2;
    const int result = RunDesktopOpener(url);
    if (result > 32)
        return result;
    const auto entry = DefaultApplicationEntry(MimeTypesFor(url));
    if (!entry)
        return result;
    return RunRegisteredBrowser(entry->text, url);
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

int LaunchUrl(const std::string& url, int showCommand)
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
