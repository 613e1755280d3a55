#include "WorkerProcess.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

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

int MillisecondsLeft(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
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

}  // namespace

std::unique_ptr<WorkerProcess> WorkerProcess::Start(const WorkerLaunch& launch, std::string* error)
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
    // the worker too; it holds nothing but its two pipes and standard error.
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
    return std::make_unique<WorkerProcess>(StartKey(), pid, toChild.Release(), fromChild.Release());
}

WorkerProcess::WorkerProcess(StartKey, pid_t pid, int toChild, int fromChild)
    : m_pid(pid), m_toChild(toChild), m_fromChild(fromChild)
{
}

WorkerProcess::~WorkerProcess()
{
    Kill();
}

void WorkerProcess::Kill()
{
    if (m_bReaped)
        return;
    ::kill(m_pid, SIGKILL);
    int status = 0;
    while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
    m_bReaped = true;
}

bool WorkerProcess::Reap(std::chrono::milliseconds wait, std::string* how)
{
    const Clock::time_point deadline = Clock::now() + wait;
    for (;;) {
        int status = 0;
        const pid_t r = ::waitpid(m_pid, &status, WNOHANG);
        if (r == m_pid) {
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

WorkerReply WorkerProcess::Fault(WorkerFault fault, std::string detail)
{
    m_bFaulted = true;
    Kill();
    WorkerReply reply;
    reply.fault = fault;
    reply.detail = std::move(detail);
    reply.workerPid = m_pid;
    return reply;
}

bool WorkerProcess::Healthy()
{
    if (m_bFaulted || m_bReaped)
        return false;
    pollfd p{m_fromChild.Get(), POLLIN, 0};
    if (::poll(&p, 1, 0) != 0) {  // unasked bytes, end of file or an error
        m_bFaulted = true;
        Kill();
        return false;
    }
    return true;
}

WorkerReply WorkerProcess::Exchange(const std::vector<std::uint8_t>& request, std::chrono::milliseconds timeLimit,
                                    int abortFd)
{
    const Clock::time_point deadline = Clock::now() + timeLimit;
    const std::string seconds = std::to_string((timeLimit.count() + 999) / 1000);
    // Waits for `events` on `fd`, or the abort, or the deadline: 1 ready, 0 timed out, -1 aborted.
    const auto wait = [&](int fd, short events) {
        pollfd p[2] = {{fd, events, 0}, {abortFd, POLLIN, 0}};
        const int ready = ::poll(p, abortFd >= 0 ? 2 : 1, MillisecondsLeft(deadline));
        if (abortFd >= 0 && (p[1].revents & POLLIN))
            return -1;
        return ready == 0 ? 0 : 1;
    };

    std::size_t sent = 0;
    while (sent < request.size()) {
        const ssize_t n = ::write(m_toChild.Get(), request.data() + sent, request.size() - sent);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN) {
            std::string how = "it closed its input";
            Reap(std::chrono::milliseconds(200), &how);
            return Fault(WorkerFault::Crashed, "the worker process stopped (" + how + ")");
        }
        const int ready = wait(m_toChild.Get(), POLLOUT);
        if (ready < 0)
            return Fault(WorkerFault::Aborted, kAbortedDetail);
        if (ready == 0)
            return Fault(WorkerFault::TimedOut, "no answer within " + seconds + " seconds");
    }

    // Reads stop at the frame's end, so bytes after it (a second answer) stay
    // in the pipe, where Healthy() finds them before the next request.
    std::vector<std::uint8_t> frameBytes;
    std::size_t have = 0;
    for (;;) {
        FrameDecodeResult frame = DecodeFrame(frameBytes.data(), have);
        if (frame.status == FrameStatus::Invalid)
            return Fault(WorkerFault::Garbage, "the worker process sent an invalid answer (" + frame.error + ")");
        if (frame.status == FrameStatus::Complete) {
            WorkerReply reply;
            reply.message = std::move(frame.message);
            reply.workerPid = m_pid;
            return reply;
        }
        // Sized once the header gives the length (checked against the
        // protocol's cap), so the payload is read straight into place.
        if (frameBytes.size() < frame.needed)
            frameBytes.resize(frame.needed);
        const ssize_t n = ::read(m_fromChild.Get(), frameBytes.data() + have, frame.needed - have);
        if (n > 0) {
            have += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0 || errno != EAGAIN) {
            std::string how = "it closed its output";
            Reap(std::chrono::milliseconds(500), &how);
            return Fault(WorkerFault::Crashed, "the worker process stopped (" + how + ")");
        }
        const int ready = wait(m_fromChild.Get(), POLLIN);
        if (ready < 0)
            return Fault(WorkerFault::Aborted, kAbortedDetail);
        if (ready == 0)
            return Fault(WorkerFault::TimedOut, "no answer within " + seconds + " seconds");
    }
}

void WorkerProcess::Shutdown(std::chrono::milliseconds grace)
{
    if (!m_bReaped && !m_bFaulted) {
        const std::vector<std::uint8_t> bye = EncodeExitRequest();
        if (::write(m_toChild.Get(), bye.data(), bye.size()) == static_cast<ssize_t>(bye.size()))
            Reap(grace, nullptr);
    }
    Kill();
}
