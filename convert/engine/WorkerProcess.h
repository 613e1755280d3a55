#pragma once

#include "ChildProcess.h"
#include "WorkerProtocol.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>


// How to start a worker.
using WorkerLaunch = ChildLaunch;

enum class WorkerFault {
    None,
    Crashed,   // the process ended or closed its output before answering
    TimedOut,  // no answer within the time limit; the process was killed
    Garbage,   // an answer that is no valid frame, or answers something else (see WorkerPool)
    NotStarted,  // the program could not be started at all
    Aborted,     // the owner called off the work in flight; the process was killed
};

// The detail of an Aborted fault, also the reason its outputs were not written.
inline constexpr char kAbortedDetail[] = "the run was stopped before it was written";

struct WorkerReply {
    WorkerFault fault = WorkerFault::None;
    WorkerMessage message;  // the decoded answer when fault is None
    std::string detail;     // what happened otherwise, readable by a user
    long workerPid = 0;     // the process that had the request; 0 when none was started
};

// One worker process seen from the parent: a child process that speaks the
// worker protocol. Not thread-safe: one thread uses a WorkerProcess at a time
// (the engine hands each to one caller). The destructor kills and reaps a
// child still running.
class WorkerProcess {
public:
    // Starts the program. Gives nullptr and sets `error` when it cannot.
    static std::unique_ptr<WorkerProcess> Start(const WorkerLaunch& launch, std::string* error);

    ~WorkerProcess();
    WorkerProcess(const WorkerProcess&) = delete;
    WorkerProcess& operator=(const WorkerProcess&) = delete;

    // Sends one framed request and waits for one frame, at most `timeLimit`,
    // and only while `abortFd` (when not -1) has nothing to read. Any fault
    // leaves the process killed and reaped; the caller replaces it. The
    // answer is decoded but not checked against the request.
    WorkerReply Exchange(const std::vector<std::uint8_t>& request, std::chrono::milliseconds timeLimit,
                         int abortFd = -1);

    // True while the process has not faulted and has sent nothing unasked;
    // checked before every request so that stray bytes or an exit between
    // jobs are never blamed on the next job.
    bool Healthy();

    // Asks the process to exit, waits up to `grace`, then kills it; reaps it.
    void Shutdown(std::chrono::milliseconds grace);

    // Only Start can make the key, so only Start makes processes (and
    // make_unique can still reach the constructor).
    class StartKey {
        friend class WorkerProcess;
        StartKey() = default;
    };
    WorkerProcess(StartKey, std::unique_ptr<ChildProcess> child);

private:
    WorkerReply Fault(WorkerFault fault, std::string detail);
    // The worker went away mid-exchange: reaped (waiting up to `wait`) and
    // reported as crashed, saying how it ended.
    WorkerReply Stopped(const char* closed, std::chrono::milliseconds wait);

    std::unique_ptr<ChildProcess> m_child;
    bool m_bFaulted = false;
};
