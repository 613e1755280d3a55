#include "WorkerLoop.h"

#include "FileIo.h"
#include "Naming.h"
#include "WorkerProtocol.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <exception>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

std::string MarkerFromEnvironment(const char* variable)
{
    const char* value = std::getenv(variable);
    return value ? std::string(value) : std::string();
}

class Worker {
public:
    explicit Worker(const WorkerJobFunctions& jobs)
        : m_jobs(jobs)
        , m_crashMarker(MarkerFromEnvironment(kCrashMarkerVariable))
        , m_hangMarker(MarkerFromEnvironment(kHangMarkerVariable))
    {
    }

    std::vector<std::uint8_t> Answer(const WorkerMessage& request) const
    {
        if (request.type == WorkerMessageType::ConvertRequest) {
            ApplyTestHooks(request.job.inputPath);
            ConversionResult result = Convert(request.job);
            if (auto frame = EncodeConvertResponse(request.jobId, result))
                return *frame;
            return *EncodeConvertResponse(request.jobId, FailedConversionResult(request.job, "the answer was too large"));
        }
        ApplyTestHooks(request.preview.path);
        PreviewResult result = Preview(request.preview);
        if (auto frame = EncodePreviewResponse(request.jobId, result))
            return *frame;
        PreviewResult failed;
        failed.error = "the preview was too large";
        return *EncodePreviewResponse(request.jobId, failed);
    }

private:
    void ApplyTestHooks(const std::string& path) const
    {
        const std::string_view name = FileNameFromPath(path);
        if (!m_crashMarker.empty() && name.find(m_crashMarker) != std::string::npos)
            std::abort();
        if (!m_hangMarker.empty() && name.find(m_hangMarker) != std::string::npos) {
            for (;;)
                ::pause();
        }
    }

    ConversionResult Convert(const ConversionJob& job) const
    {
        try {
            return m_jobs.convert(job);
        } catch (const std::exception& e) {
            return FailedConversionResult(job, std::string("the conversion failed: ") + e.what());
        }
    }

    PreviewResult Preview(const PreviewRequest& request) const
    {
        try {
            return m_jobs.preview(request);
        } catch (const std::exception& e) {
            PreviewResult failed;
            failed.error = std::string("the preview failed: ") + e.what();
            return failed;
        }
    }

    const WorkerJobFunctions& m_jobs;
    std::string m_crashMarker;
    std::string m_hangMarker;
};

}  // namespace

int RunWorkerLoop(int inFd, int outFd, const WorkerJobFunctions& jobs)
{
    // When the parent goes away its end of our input closes, even in the
    // middle of a job; nobody wants the answer then, nor the half-written
    // temporary file. (PR_SET_PDEATHSIG would fire when the parent's starting
    // thread ends, not the parent.)
    std::thread([inFd] {
        pollfd p{inFd, 0, 0};  // POLLHUP and POLLERR are always reported
        while (::poll(&p, 1, -1) < 0 && errno == EINTR) {
        }
        RemoveTemporaryFilesInProgress();
        std::_Exit(kWorkerExitOk);
    }).detach();

    const Worker worker(jobs);
    std::vector<std::uint8_t> pending;
    std::vector<std::uint8_t> chunk(64 * 1024);
    for (;;) {
        FrameDecodeResult frame = DecodeFrame(pending.data(), pending.size());
        if (frame.status == FrameStatus::Invalid)
            return kWorkerExitBadRequest;
        if (frame.status == FrameStatus::Complete) {
            pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(frame.size));
            const WorkerMessage& request = frame.message;
            if (request.type == WorkerMessageType::ExitRequest)
                return kWorkerExitOk;
            if (request.type != WorkerMessageType::ConvertRequest && request.type != WorkerMessageType::PreviewRequest)
                return kWorkerExitBadRequest;
            const std::vector<std::uint8_t> answer = worker.Answer(request);
            if (!WriteFully(outFd, answer.data(), answer.size()))
                return kWorkerExitPipeBroken;
            continue;
        }
        const ssize_t n = ::read(inFd, chunk.data(), chunk.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return pending.empty() ? kWorkerExitOk : kWorkerExitBadRequest;
        pending.insert(pending.end(), chunk.begin(), chunk.begin() + n);
    }
}

bool PrepareWorkerProcess(int* inFd, int* outFd)
{
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGINT, SIG_IGN);

    const int in = ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 3);
    const int out = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
    if (in < 0 || out < 0)
        return false;
    const int devNull = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (devNull < 0 || ::dup2(devNull, STDIN_FILENO) < 0 || ::dup2(STDERR_FILENO, STDOUT_FILENO) < 0)
        return false;
    ::close(devNull);
    *inFd = in;
    *outFd = out;
    return true;
}
