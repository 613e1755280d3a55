#pragma once

#include "FileIo.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// How to start a child program: the program, its arguments after its own
// name, and environment entries ("NAME=value") that are added to, or
// replace, those of this process.
struct ChildLaunch {
    std::string program;
    std::vector<std::string> arguments;
    std::vector<std::string> environment;
};

// A child program with a pipe to its standard input and one from its
// standard output; its standard error is ours. The child gets no other
// descriptor, its own process group, default signal handling and an empty
// signal mask. Not thread-safe. The destructor kills and reaps a child still
// running.
class ChildProcess {
public:
    using Clock = std::chrono::steady_clock;

    // Starts the program. Gives nullptr and sets `error` when it cannot.
    static std::unique_ptr<ChildProcess> Start(const ChildLaunch& launch, std::string* error);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    long Pid() const { return m_pid; }

    enum class Io { Done, WouldBlock, Closed };
    // Moves some bytes without blocking; `moved` counts them when Done.
    // Closed: the child's end is gone (for a write, without a SIGPIPE
    // reaching this process; for a read, end of file or an error).
    Io WriteSome(const std::uint8_t* data, std::size_t size, std::size_t* moved);
    Io ReadSome(std::uint8_t* data, std::size_t size, std::size_t* moved);

    enum class Wait { Ready, TimedOut, Aborted };
    // Waits until a write can go on (or a read has something, its end
    // included), the deadline passes, or `abortFd` (when not -1) becomes
    // readable.
    Wait WaitWritable(Clock::time_point deadline, int abortFd);
    Wait WaitReadable(Clock::time_point deadline, int abortFd);
    // True when the child has written something, or closed its output.
    bool HasOutput();

    // Kills the child (SIGKILL) and reaps it; nothing when already reaped.
    void Kill();
    // Reaps the child if it has ended, waiting up to `wait`; `how` then says
    // how it ended ("it exited with code 1"), when given.
    bool Reap(std::chrono::milliseconds wait, std::string* how);

    class StartKey {
        friend class ChildProcess;
        StartKey() = default;
    };
    ChildProcess(StartKey, long pid, int toChild, int fromChild);

private:
    Wait WaitFor(int fd, short events, Clock::time_point deadline, int abortFd);

    long m_pid;
    UniqueFd m_toChild;
    UniqueFd m_fromChild;
    bool m_bReaped = false;
};

// A pipe whose read end becomes readable, for good, once Raise() is called:
// a way to wake every thread waiting in ChildProcess::Wait* at once.
class WakePipe {
public:
    WakePipe();
    int ReadEnd() const { return m_read.Get(); }
    void Raise();

private:
    UniqueFd m_read;
    UniqueFd m_write;
};
