#include "ConversionEngine.h"

#include "FileIo.h"
#include "OutputFormat.h"
#include "WorkerLocation.h"
#include "WorkerProtocol.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <numeric>
#include <thread>

namespace {

EngineOptions Resolved(EngineOptions options)
{
    if (options.workerProgram.empty())
        options.workerProgram = DefaultWorkerProgram();
    if (options.conversionWorkers == 0)
        options.conversionWorkers = std::max(1u, std::thread::hardware_concurrency());
    return options;
}

// A decoded 12-megapixel picture is about 100 MB of pixel cache, allocated
// afresh for every file. In 4 KiB pages that is some 25,000 page faults per
// picture, which measured as half of a TIFF batch's time on a virtual machine;
// glibc's transparent huge pages for large allocations remove nearly all of
// them. Tunables the user set are kept.
std::string WithHugePageMalloc(const char* tunables)
{
    const std::string current = tunables ? tunables : "";
    if (current.find("glibc.malloc.hugetlb") != std::string::npos)
        return "GLIBC_TUNABLES=" + current;
    return "GLIBC_TUNABLES=" + current + (current.empty() ? "" : ":") + "glibc.malloc.hugetlb=1";
}

WorkerLaunch MakeLaunch(const EngineOptions& options, const std::string& policyFolder)
{
    WorkerLaunch launch;
    launch.program = options.workerProgram;
    launch.arguments = {"--worker"};
    if (!policyFolder.empty())
        launch.environment.push_back("MAGICK_CONFIGURE_PATH=" + policyFolder);
    if (options.magickThreads > 0) {
        launch.environment.push_back("MAGICK_THREAD_LIMIT=" + std::to_string(options.magickThreads));
        launch.environment.push_back("OMP_NUM_THREADS=" + std::to_string(options.magickThreads));
    }
    if (options.hugePages)
        launch.environment.push_back(WithHugePageMalloc(std::getenv("GLIBC_TUNABLES")));
    launch.environment.insert(launch.environment.end(), options.environment.begin(), options.environment.end());
    return launch;
}

// Encode times relative to one decode of the same picture, measured with
// our codec on 12-megapixel photos; only their order and rough size matter.
double ExpectedCost(std::uint32_t typeCode)
{
    switch (typeCode) {
    case kTypeGif: return 4.4;
    case kTypePng: return 3.5;
    case kTypePcx: return 1.1;
    case kTypeTga: return 1.1;
    case kTypeBmp: return 0.9;
    case kTypeTif: return 0.7;
    case kTypeRaw: return 0.6;
    case kTypeIco: return 0.25;
    case kTypeJpg: return 0.2;
    default: return 1.0;
    }
}
constexpr double kDecodeCost = 1.0;

// Which file an output path names now, so that after a worker's death the
// outputs it renamed into place (always a new file) can be told from the rest.
struct FileState {
    bool exists = false;
    FileId id;
    bool operator==(const FileState& other) const { return exists == other.exists && id == other.id; }
};

FileState StateOf(const std::string& path)
{
    const PathIdentity identity = IdentifyPath(path);
    return FileState{identity.exists, identity.exists ? identity.self : FileId{}};
}

// The result of a share whose worker died: what it left in place counts as
// written, everything else not, with the reason.
ConversionResult ResultAfterFault(const ConversionJob& share, const std::vector<FileState>& before,
                                  const std::string& reason)
{
    ConversionResult result = FailedConversionResult(share, reason);
    for (std::size_t k = 0; k < share.outputs.size(); ++k) {
        const FileState now = StateOf(share.outputs[k].path);
        if (now.exists && !(now == before[k])) {
            result.outputs[k].written = true;
            result.outputs[k].reason.clear();
            result.decoded = true;
        }
    }
    if (result.decoded)
        result.decodeError.clear();
    return result;
}

}  // namespace

std::vector<std::vector<std::size_t>> SplitOutputs(const std::vector<OutputRequest>& outputs, std::size_t groups)
{
    groups = std::max<std::size_t>(1, std::min(groups, outputs.size()));
    std::vector<std::size_t> order(outputs.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return ExpectedCost(outputs[a].typeCode) > ExpectedCost(outputs[b].typeCode);
    });
    std::vector<std::vector<std::size_t>> shares(groups);
    std::vector<double> load(groups, kDecodeCost);
    for (std::size_t index : order) {
        const std::size_t lightest = static_cast<std::size_t>(std::min_element(load.begin(), load.end()) - load.begin());
        shares[lightest].push_back(index);
        load[lightest] += ExpectedCost(outputs[index].typeCode);
    }
    shares.erase(std::remove_if(shares.begin(), shares.end(), [](const auto& s) { return s.empty(); }), shares.end());
    for (auto& share : shares)
        std::sort(share.begin(), share.end());
    return shares;
}

ConversionEngine::ConversionEngine(EngineOptions options)
    : m_options(Resolved(std::move(options)))
    , m_policyFolder(FindPolicyFolder(m_options.workerProgram))
    , m_conversions(MakeLaunch(m_options, m_policyFolder), m_options.conversionWorkers)
    , m_previews(MakeLaunch(m_options, m_policyFolder), m_options.previewWorkers)
{
}

ConversionEngine::~ConversionEngine()
{
    Shutdown();
}

void ConversionEngine::Shutdown()
{
    m_conversions.Shutdown();
    m_previews.Shutdown();
}

void ConversionEngine::Abort()
{
    m_conversions.Abort();
    m_previews.Abort();
}

ConversionResult ConversionEngine::RunShare(std::size_t slot, const ConversionJob& share)
{
    const std::uint64_t id = m_nextJobId++;
    const auto request = EncodeConvertRequest(id, share);
    if (!request)
        return FailedConversionResult(share, "the file name is too long");
    const auto answersShare = [&](const WorkerMessage& answer, std::string* why) {
        return AnswersConvertRequest(answer, id, share, why);
    };
    std::vector<FileState> before;
    before.reserve(share.outputs.size());
    for (const OutputRequest& out : share.outputs)
        before.push_back(StateOf(out.path));
    WorkerReply reply = m_conversions.Exchange(slot, *request, m_options.jobTimeLimit, answersShare);
    if (reply.fault != WorkerFault::None) {
        // The process is gone by now, so nothing can add to what it left.
        if (reply.workerPid > 0) {
            for (const OutputRequest& out : share.outputs)
                RemoveTemporaryFiles(out.path, reply.workerPid);
        }
        const std::string reason = reply.fault == WorkerFault::Aborted
                                       ? reply.detail
                                       : "the picture could not be converted: " + reply.detail;
        return ResultAfterFault(share, before, reason);
    }
    ConversionResult result = std::move(reply.message.result);
    for (OutputResult& out : result.outputs) {
        if (!out.Done() && out.reason.empty())
            out.reason = result.decodeError.empty() ? "the file was not written" : result.decodeError;
    }
    return result;
}

ConversionResult ConversionEngine::Run(const ConversionJob& job)
{
    return RunWithProgress(job, {});
}

ConversionResult ConversionEngine::RunWithProgress(const ConversionJob& job, const OutputProgress& progress)
{
    if (job.outputs.empty())
        return ConversionResult{};
    const std::vector<std::size_t> slots = m_conversions.Acquire(job.outputs.size());
    if (slots.empty())
        return FailedConversionResult(job, "the converter is shutting down");

    const auto shares = SplitOutputs(job.outputs, slots.size());
    std::vector<ConversionJob> jobs(shares.size());
    std::vector<ConversionResult> results(shares.size());
    for (std::size_t s = 0; s < shares.size(); ++s) {
        jobs[s].inputPath = job.inputPath;
        jobs[s].inputType = job.inputType;
        jobs[s].options = job.options;
        for (std::size_t index : shares[s])
            jobs[s].outputs.push_back(job.outputs[index]);
    }
    // Slots beyond the shares (fewer outputs than free workers) go back at once.
    for (std::size_t s = shares.size(); s < slots.size(); ++s)
        m_conversions.Release(slots[s]);

    std::mutex progressMutex;
    std::size_t handled = 0;
    const auto runShare = [&](std::size_t s) {
        results[s] = RunShare(slots[s], jobs[s]);
        if (!progress)
            return;
        const std::lock_guard<std::mutex> lock(progressMutex);
        handled += shares[s].size();
        progress(handled);
    };
    std::vector<std::thread> helpers;
    for (std::size_t s = 1; s < shares.size(); ++s)
        helpers.emplace_back([&, s] { runShare(s); });
    runShare(0);
    for (std::thread& t : helpers)
        t.join();
    for (std::size_t s = 0; s < shares.size(); ++s)
        m_conversions.Release(slots[s]);

    ConversionResult merged;
    merged.outputs.resize(job.outputs.size());
    for (std::size_t s = 0; s < shares.size(); ++s) {
        merged.decoded = merged.decoded || results[s].decoded;
        if (merged.decodeError.empty())
            merged.decodeError = results[s].decodeError;
        if (merged.damage.empty())
            merged.damage = results[s].damage;
        for (std::size_t k = 0; k < shares[s].size(); ++k)
            merged.outputs[shares[s][k]] = std::move(results[s].outputs[k]);
    }
    if (merged.decoded)
        merged.decodeError.clear();
    return merged;
}

PreviewResult ConversionEngine::Preview(const PreviewRequest& request)
{
    PreviewResult failed;
    const std::uint64_t id = m_nextJobId++;
    const auto frame = EncodePreviewRequest(id, request);
    if (!frame) {
        failed.error = "the preview request is out of range";
        return failed;
    }
    const std::vector<std::size_t> slots = m_previews.Acquire(1);
    if (slots.empty()) {
        failed.error = m_previews.Size() > 0 ? "the converter is shutting down" : "this converter shows no previews";
        return failed;
    }
    const auto answersRequest = [&](const WorkerMessage& answer, std::string* why) {
        return AnswersPreviewRequest(answer, id, request, why);
    };
    WorkerReply reply = m_previews.Exchange(slots[0], *frame, m_options.previewTimeLimit, answersRequest);
    m_previews.Release(slots[0]);
    if (reply.fault != WorkerFault::None) {
        failed.error = "the picture could not be shown: " + reply.detail;
        return failed;
    }
    return std::move(reply.message.previewResult);
}
