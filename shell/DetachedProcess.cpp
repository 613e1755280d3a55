#include "DetachedProcess.h"

#include "FileIo.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// What the middle process tells the caller through the status pipe.
struct Report {
    int state;
    int error;
    int exitCode;
};

long long MonotonicMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// Reads exactly size bytes; false on end of file or error.
bool ReadAll(int fd, void* data, size_t size)
{
    char* bytes = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t got = read(fd, bytes, size);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        bytes += got;
        size -= static_cast<size_t>(got);
    }
    return true;
}

pid_t WaitForPid(pid_t pid, int* status, int options)
{
    pid_t result = 0;
    do {
        result = waitpid(pid, status, options);
    } while (result < 0 && errno == EINTR);
    return result;
}

[[noreturn]] void ReportAndExit(int fd, DetachedStart::State state, int error, int exitCode)
{
    const Report report{static_cast<int>(state), error, exitCode};
    WriteFully(fd, &report, sizeof report);
    _exit(0);
}

// Runs in the forked middle process: only async-signal-safe calls from here.
[[noreturn]] void RunMiddle(const char* path, char* const argv[], int statusFd, int waitMs)
{
    setsid();
    int execPipe[2];
    if (pipe2(execPipe, O_CLOEXEC) != 0)
        ReportAndExit(statusFd, DetachedStart::State::Failed, errno, 0);
    const pid_t child = fork();
    if (child < 0)
        ReportAndExit(statusFd, DetachedStart::State::Failed, errno, 0);
    if (child == 0) {
        close(execPipe[0]);
        close(statusFd);
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        const int devNull = open("/dev/null", O_RDONLY);
        if (devNull >= 0) {
            dup2(devNull, STDIN_FILENO);
            close(devNull);
        }
        execv(path, argv);
        const int error = errno;
        WriteFully(execPipe[1], &error, sizeof error);
        _exit(127);
    }
    close(execPipe[1]);
    // The pipe closes without data when exec succeeded (close-on-exec).
    int execError = 0;
    const bool execFailed = ReadAll(execPipe[0], &execError, sizeof execError);
    close(execPipe[0]);
    if (execFailed) {
        WaitForPid(child, nullptr, 0);
        ReportAndExit(statusFd, DetachedStart::State::Failed, execError, 0);
    }
    const long long deadline = MonotonicMs() + waitMs;
    for (;;) {
        int status = 0;
        if (WaitForPid(child, &status, WNOHANG) == child) {
            const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            ReportAndExit(statusFd, DetachedStart::State::Exited, 0, code);
        }
        if (MonotonicMs() >= deadline)
            ReportAndExit(statusFd, DetachedStart::State::Running, 0, 0);
        const timespec pause{0, 10 * 1000 * 1000};
        nanosleep(&pause, nullptr);
    }
}

bool IsExecutableFile(const std::string& path, bool* exists)
{
    struct stat info{};
    *exists = stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
    return *exists && access(path.c_str(), X_OK) == 0;
}

} // namespace

ProgramLookup FindProgram(const std::string& name)
{
    ProgramLookup lookup;
    if (name.empty())
        return lookup;
    bool sawFile = false;
    auto consider = [&](const std::string& candidate) {
        bool exists = false;
        if (IsExecutableFile(candidate, &exists)) {
            lookup.state = ProgramLookup::State::Found;
            lookup.path = candidate;
            return true;
        }
        sawFile = sawFile || exists;
        return false;
    };
    if (name.find('/') != std::string::npos) {
        consider(name);
    } else {
        const char* pathVariable = std::getenv("PATH");
        const std::string folders = pathVariable ? pathVariable : "/usr/local/bin:/usr/bin:/bin";
        std::string::size_type start = 0;
        for (;;) {
            const auto end = folders.find(':', start);
            const std::string folder = folders.substr(start, end == std::string::npos ? end : end - start);
            // An empty entry means the current folder; a launcher must not pick up
            // whatever lies there, so it counts for nothing.
            if (!folder.empty() && consider(folder + '/' + name))
                break;
            if (end == std::string::npos)
                break;
            start = end + 1;
        }
    }
    if (lookup.state != ProgramLookup::State::Found && sawFile)
        lookup.state = ProgramLookup::State::NotExecutable;
    return lookup;
}

DetachedStart StartDetached(const std::string& path, const std::vector<std::string>& arguments,
                            int waitMs)
{
    // Everything the children need is built before fork: they may not allocate.
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 2);
    argv.push_back(const_cast<char*>(path.c_str()));
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    DetachedStart start;
    int statusPipe[2];
    if (pipe2(statusPipe, O_CLOEXEC) != 0) {
        start.error = errno;
        return start;
    }
    const pid_t middle = fork();
    if (middle < 0) {
        start.error = errno;
        close(statusPipe[0]);
        close(statusPipe[1]);
        return start;
    }
    if (middle == 0) {
        close(statusPipe[0]);
        RunMiddle(path.c_str(), argv.data(), statusPipe[1], waitMs < 0 ? 0 : waitMs);
    }
    close(statusPipe[1]);
    Report report{static_cast<int>(DetachedStart::State::Failed), ECHILD, 0};
    ReadAll(statusPipe[0], &report, sizeof report);
    close(statusPipe[0]);
    WaitForPid(middle, nullptr, 0);
    start.state = static_cast<DetachedStart::State>(report.state);
    start.error = report.error;
    start.exitCode = report.exitCode;
    return start;
}
