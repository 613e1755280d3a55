#include "WorkerLoop.h"

#include "FileIo.h"
#include "ParentPipes.h"
#include "WorkerProtocol.h"

#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

namespace {

class Worker {
public:
    explicit Worker(const WorkerJobFunctions& jobs)
        : m_jobs(jobs)
    {
    }

    std::vector<std::uint8_t> Answer(const WorkerMessage& request) const
    {
        if (request.type == WorkerMessageType::ConvertRequest) {
            ConversionResult result = Convert(request.job);
            if (auto frame = EncodeConvertResponse(request.jobId, result))
                return *frame;
            return *EncodeConvertResponse(request.jobId, FailedConversionResult(request.job, "the answer was too large"));
        }
        PreviewResult result = Preview(request.preview);
        if (auto frame = EncodePreviewResponse(request.jobId, result))
            return *frame;
        PreviewResult failed;
        failed.error = "the preview was too large";
        return *EncodePreviewResponse(request.jobId, failed);
    }

private:
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
};

}  // namespace

int RunWorkerLoop(int inFd, int outFd, const WorkerJobFunctions& jobs)
{
    // When the parent goes away, even in the middle of a job, nobody wants
    // the answer, nor the half-written temporary file.
    WatchParent(inFd, [] {
        RemoveTemporaryFilesInProgress();
        std::_Exit(kWorkerExitOk);
    });

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
        const long n = ReadSomeFrom(inFd, chunk.data(), chunk.size());
        if (n <= 0)
            return pending.empty() ? kWorkerExitOk : kWorkerExitBadRequest;
        pending.insert(pending.end(), chunk.begin(), chunk.begin() + n);
    }
}

bool PrepareWorkerProcess(int* inFd, int* outFd)
{
    return TakeParentPipes(inFd, outFd);
}
