#include "WorkerProcess.h"

std::unique_ptr<WorkerProcess> WorkerProcess::Start(const WorkerLaunch& launch, std::string* error)
{
    std::unique_ptr<ChildProcess> child = ChildProcess::Start(launch, error);
    if (!child)
        return nullptr;
    return std::make_unique<WorkerProcess>(StartKey(), std::move(child));
}

WorkerProcess::WorkerProcess(StartKey, std::unique_ptr<ChildProcess> child) : m_child(std::move(child)) {}

WorkerProcess::~WorkerProcess() = default;

WorkerReply WorkerProcess::Fault(WorkerFault fault, std::string detail)
{
    m_bFaulted = true;
    m_child->Kill();
    WorkerReply reply;
    reply.fault = fault;
    reply.detail = std::move(detail);
    reply.workerPid = m_child->Pid();
    return reply;
}

WorkerReply WorkerProcess::Stopped(const char* closed, std::chrono::milliseconds wait)
{
    std::string how = closed;
    m_child->Reap(wait, &how);
    return Fault(WorkerFault::Crashed, "the worker process stopped (" + how + ")");
}

bool WorkerProcess::Healthy()
{
    if (m_bFaulted)
        return false;
    if (m_child->HasOutput()) {  // unasked bytes, end of file or an error
        m_bFaulted = true;
        m_child->Kill();
        return false;
    }
    return true;
}

WorkerReply WorkerProcess::Exchange(const std::vector<std::uint8_t>& request, std::chrono::milliseconds timeLimit,
                                    int abortFd)
{
    using Wait = ChildProcess::Wait;
    using Io = ChildProcess::Io;
    const ChildProcess::Clock::time_point deadline = ChildProcess::Clock::now() + timeLimit;
    const std::string seconds = std::to_string((timeLimit.count() + 999) / 1000);
    const auto waited = [&](Wait wait) {
        return wait == Wait::Aborted ? Fault(WorkerFault::Aborted, kAbortedDetail)
                                     : Fault(WorkerFault::TimedOut, "no answer within " + seconds + " seconds");
    };

    std::size_t sent = 0;
    while (sent < request.size()) {
        std::size_t n = 0;
        const Io io = m_child->WriteSome(request.data() + sent, request.size() - sent, &n);
        if (io == Io::Done) {
            sent += n;
            continue;
        }
        if (io == Io::Closed)
            return Stopped("it closed its input", std::chrono::milliseconds(200));
        const Wait wait = m_child->WaitWritable(deadline, abortFd);
        if (wait != Wait::Ready)
            return waited(wait);
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
            reply.workerPid = m_child->Pid();
            return reply;
        }
        // Sized once the header gives the length (checked against the
        // protocol's cap), so the payload is read straight into place.
        if (frameBytes.size() < frame.needed)
            frameBytes.resize(frame.needed);
        std::size_t n = 0;
        const Io io = m_child->ReadSome(frameBytes.data() + have, frame.needed - have, &n);
        if (io == Io::Done) {
            have += n;
            continue;
        }
        if (io == Io::Closed)
            return Stopped("it closed its output", std::chrono::milliseconds(500));
        const Wait wait = m_child->WaitReadable(deadline, abortFd);
        if (wait != Wait::Ready)
            return waited(wait);
    }
}

void WorkerProcess::Shutdown(std::chrono::milliseconds grace)
{
    if (!m_bFaulted) {
        const std::vector<std::uint8_t> bye = EncodeExitRequest();
        std::size_t n = 0;
        if (m_child->WriteSome(bye.data(), bye.size(), &n) == ChildProcess::Io::Done && n == bye.size())
            m_child->Reap(grace, nullptr);
    }
    m_child->Kill();
}
