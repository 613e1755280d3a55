#include "ChildProcess.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

std::string ErrnoText(int error)
{
    return std::strerror(error);  // glibc's is thread-safe for valid codes
}

// Keeps a pipe end off descriptors 0 to 2, which posix_spawn would otherwise
// dup2 onto themselves and leave close-on-exec.
bool MoveAboveStdio(UniqueFd& fd)
{
    if (fd.Get() > STDERR_FILENO)
        return true;
    const int moved = ::fcntl(fd.Get(), F_DUPFD_CLOEXEC, 3);
    if (moved < 0)
        return false;
    fd.Reset(moved);
    return true;
}

bool MakePipe(UniqueFd& readEnd, UniqueFd& writeEnd)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return false;
    readEnd.Reset(fds[0]);
    writeEnd.Reset(fds[1]);
    return MoveAboveStdio(readEnd) && MoveAboveStdio(writeEnd);
}

std::vector<std::string> ChildEnvironment(const std::vector<std::string>& overrides)
{
    std::vector<std::string> env;
    for (char** e = environ; e && *e; ++e) {
        const std::string entry(*e);
        const std::string name = entry.substr(0, entry.find('='));
        bool replaced = false;
        for (const std::string& o : overrides)
            replaced = replaced || o.compare(0, name.size() + 1, name + "=") == 0;
        if (!replaced)
            env.push_back(entry);
    }
    env.insert(env.end(), overrides.begin(), overrides.end());
    return env;
}

std::vector<char*> PointerArray(std::vector<std::string>& strings)
{
    std::vector<char*> pointers;
    for (std::string& s : strings)
        pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

int MillisecondsLeft(ChildProcess::Clock::time_point deadline)
{
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - ChildProcess::Clock::now()).count();
    return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left, 1000 * 60 * 60));
}

std::string DescribeStatus(int status)
{
    if (WIFSIGNALED(status)) {
        const int sig = WTERMSIG(status);
        const char* name = ::sigabbrev_np(sig);
        return "it was ended by signal " + std::to_string(sig) + (name ? std::string(" (SIG") + name + ")" : "");
    }
    if (WIFEXITED(status))
        return "it exited with code " + std::to_string(WEXITSTATUS(status));
    return "it stopped";
}

// write() to a pipe whose reader is gone raises SIGPIPE, whose default ends
// the whole process. It is held back on this thread for the one call and, if
// the call raised it, taken off again, so the process's own disposition
// (which belongs to the program, not to us) never matters.
ssize_t WriteWithoutSigpipe(int fd, const void* data, std::size_t size)
{
    sigset_t pipeOnly, old;
    sigemptyset(&pipeOnly);
    sigaddset(&pipeOnly, SIGPIPE);
    sigset_t pending;
    sigpending(&pending);
    const bool wasPending = sigismember(&pending, SIGPIPE) == 1;
    pthread_sigmask(SIG_BLOCK, &pipeOnly, &old);
    const ssize_t n = ::write(fd, data, size);
    const int writeError = errno;
    if (n < 0 && writeError == EPIPE && !wasPending) {
        const timespec none{0, 0};
        while (sigtimedwait(&pipeOnly, nullptr, &none) < 0 && errno == EINTR) {
        }
    }
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    errno = writeError;
    return n;
}

}  // namespace

std::unique_ptr<ChildProcess> ChildProcess::Start(const ChildLaunch& launch, std::string* error)
{
    UniqueFd childIn, toChild, fromChild, childOut;
    if (!MakePipe(childIn, toChild) || !MakePipe(fromChild, childOut)) {
        *error = "could not make pipes: " + ErrnoText(errno);
        return nullptr;
    }

    std::vector<std::string> argStrings{launch.program};
    argStrings.insert(argStrings.end(), launch.arguments.begin(), launch.arguments.end());
    std::vector<std::string> envStrings = ChildEnvironment(launch.environment);
    std::vector<char*> argv = PointerArray(argStrings);
    std::vector<char*> envp = PointerArray(envStrings);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attr;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attr);
    posix_spawn_file_actions_adddup2(&actions, childIn.Get(), STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, childOut.Get(), STDOUT_FILENO);
    // Descriptors this process inherited without close-on-exec stay out of
    // the child too; it holds nothing but its two pipes and standard error.
    posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
    sigset_t all, none;
    sigfillset(&all);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attr, &all);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setpgroup(&attr, 0);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETPGROUP);

    pid_t pid = -1;
    const int rc = ::posix_spawn(&pid, launch.program.c_str(), &actions, &attr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    if (rc != 0) {
        *error = "could not start " + launch.program + ": " + ErrnoText(rc);
        return nullptr;
    }
    ::fcntl(toChild.Get(), F_SETFL, O_NONBLOCK);
    ::fcntl(fromChild.Get(), F_SETFL, O_NONBLOCK);
    return std::make_unique<ChildProcess>(StartKey(), pid, toChild.Release(), fromChild.Release());
}

ChildProcess::ChildProcess(StartKey, long pid, int toChild, int fromChild)
    : m_pid(pid), m_toChild(toChild), m_fromChild(fromChild)
{
}

ChildProcess::~ChildProcess()
{
    Kill();
}

ChildProcess::Io ChildProcess::WriteSome(const std::uint8_t* data, std::size_t size, std::size_t* moved)
{
    for (;;) {
        const ssize_t n = WriteWithoutSigpipe(m_toChild.Get(), data, size);
        if (n >= 0) {
            *moved = static_cast<std::size_t>(n);
            return Io::Done;
        }
        if (errno == EINTR)
            continue;
        return errno == EAGAIN ? Io::WouldBlock : Io::Closed;
    }
}

ChildProcess::Io ChildProcess::ReadSome(std::uint8_t* data, std::size_t size, std::size_t* moved)
{
    for (;;) {
        const ssize_t n = ::read(m_fromChild.Get(), data, size);
        if (n > 0) {
            *moved = static_cast<std::size_t>(n);
            return Io::Done;
        }
        if (n < 0 && errno == EINTR)
            continue;
        return n < 0 && errno == EAGAIN ? Io::WouldBlock : Io::Closed;
    }
}

ChildProcess::Wait ChildProcess::WaitFor(int fd, short events, Clock::time_point deadline, int abortFd)
{
    pollfd p[2] = {{fd, events, 0}, {abortFd, POLLIN, 0}};
    int ready = -1;
    while ((ready = ::poll(p, abortFd >= 0 ? 2 : 1, MillisecondsLeft(deadline))) < 0 && errno == EINTR) {
    }
    if (abortFd >= 0 && (p[1].revents & POLLIN))
        return Wait::Aborted;
    return ready == 0 ? Wait::TimedOut : Wait::Ready;
}

ChildProcess::Wait ChildProcess::WaitWritable(Clock::time_point deadline, int abortFd)
{
    return WaitFor(m_toChild.Get(), POLLOUT, deadline, abortFd);
}

ChildProcess::Wait ChildProcess::WaitReadable(Clock::time_point deadline, int abortFd)
{
    return WaitFor(m_fromChild.Get(), POLLIN, deadline, abortFd);
}

bool ChildProcess::HasOutput()
{
    pollfd p{m_fromChild.Get(), POLLIN, 0};
    return ::poll(&p, 1, 0) != 0;  // bytes, end of file or an error
}

void ChildProcess::Kill()
{
    if (m_bReaped)
        return;
    ::kill(static_cast<pid_t>(m_pid), SIGKILL);
    int status = 0;
    while (::waitpid(static_cast<pid_t>(m_pid), &status, 0) < 0 && errno == EINTR) {
    }
    m_bReaped = true;
}

bool ChildProcess::Reap(std::chrono::milliseconds wait, std::string* how)
{
    if (m_bReaped)
        return true;
    const Clock::time_point deadline = Clock::now() + wait;
    for (;;) {
        int status = 0;
        const pid_t r = ::waitpid(static_cast<pid_t>(m_pid), &status, WNOHANG);
        if (r == static_cast<pid_t>(m_pid)) {
            m_bReaped = true;
            if (how)
                *how = DescribeStatus(status);
            return true;
        }
        if (r < 0 && errno != EINTR) {
            m_bReaped = true;  // not our child any more; nothing left to reap
            return true;
        }
        if (Clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

WakePipe::WakePipe()
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0) {
        m_read.Reset(fds[0]);
        m_write.Reset(fds[1]);
    }
}

void WakePipe::Raise()
{
    const char byte = 1;
    // Never read, so the pipe stays readable for good.
    (void)!::write(m_write.Get(), &byte, 1);
}
