#include "BatchRun.h"

#include "ConvertMessages.h"
#include "Naming.h"
#include "OutputFormat.h"

#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <unordered_map>

namespace {

// The batch run's own closing message after a stop; the others are shared.
const char* const kMsgConvertStopped = "Convert picture stopped.";

// Only the spelling is compared here, without touching the disk, so a list of
// 100,000 entries gets its progress range at once; the conversion job itself
// refuses an output that reaches the input through a link or another path.
bool IsOwnInput(const std::filesystem::path& normalInput, const std::string& output)
{
    return normalInput == std::filesystem::path(output).lexically_normal();
}

std::string PicturesOf(std::size_t count, std::size_t total, const char* what)
{
    return std::to_string(count) + " of " + std::to_string(total) + (total == 1 ? " picture was " : " pictures were ")
           + what;
}

}  // namespace

std::string BatchFailure::Line() const
{
    if (!oneOfSeveral || outputPath.empty())
        return inputPath + ": " + reason;
    return inputPath + ": " + std::string(FileNameFromPath(outputPath)) + ": " + reason;
}

std::vector<std::uint32_t> TypeCodesForComboIndex(int index)
{
    return {FormatByComboIndex(index).typeCode};
}

std::string BatchHeadline(const BatchOutcome& outcome)
{
    if (outcome.refused)
        return kMsgSelectInAndOut;
    if (!outcome.stopped && outcome.failures.empty() && outcome.written == outcome.entries)
        return kMsgConvertOk;
    if (outcome.stopped)
        return std::string(kMsgConvertStopped) + "\n"
               + PicturesOf(outcome.written, outcome.entries, "converted before the stop.");
    return std::string(kMsgConvertFailed) + "\n" + PicturesOf(outcome.written, outcome.entries, "written.");
}

std::string BatchSummary(const BatchOutcome& outcome, std::size_t maxLines)
{
    std::string text = BatchHeadline(outcome);
    if (outcome.refused)
        return text;
    const std::size_t shown = std::min(maxLines, outcome.failures.size());
    for (std::size_t i = 0; i < shown; ++i)
        text += "\n" + outcome.failures[i].Line();
    if (shown < outcome.failures.size())
        text += "\nand " + std::to_string(outcome.failures.size() - shown) + " more";
    return text;
}

struct BatchRun::Entry {
    ConversionJob job;
    std::vector<std::size_t> predecessors;  // earlier entries writing one of the same files
    bool done = false;
    std::vector<BatchFailure> failures;
};

// One run's shared state: the next entry to take, what is done, and the
// progress calls, all under one mutex.
class BatchRun::Pass {
public:
    Pass(IJobRunner& runner, std::vector<Entry>& entries, IBatchProgress& progress, std::atomic<bool>& stop)
        : m_runner(runner), m_entries(entries), m_progress(progress), m_stop(stop)
    {
    }

    void Work()
    {
        for (;;) {
            std::unique_lock<std::mutex> lock(m_mutex);
            if (m_stop.load() || m_next == m_entries.size())
                return;
            Entry& entry = m_entries[m_next++];
            m_changed.wait(lock, [&] {
                for (std::size_t p : entry.predecessors) {
                    if (!m_entries[p].done)
                        return false;
                }
                return true;
            });
            lock.unlock();

            if (!entry.job.outputs.empty())
                Record(entry, m_runner.Run(entry.job));

            lock.lock();
            entry.done = true;
            ++m_handled;
            m_progress.SetPosition(static_cast<std::int64_t>(m_handled) - 1);
            m_changed.notify_all();
        }
    }

    std::size_t Handled() const { return m_handled; }
    std::size_t Started() const { return m_next; }

private:
    static void Record(Entry& entry, const ConversionResult& result)
    {
        const std::string& input = entry.job.inputPath;
        if (!result.decoded || result.outputs.size() != entry.job.outputs.size()) {
            const std::string reason = result.decodeError.empty() ? "the picture could not be decoded" : result.decodeError;
            entry.failures.push_back(BatchFailure{input, "", reason});
            return;
        }
        const bool several = result.outputs.size() > 1;
        for (const OutputResult& out : result.outputs) {
            if (!out.written)
                entry.failures.push_back(BatchFailure{input, out.path, out.reason, several});
        }
    }

    IJobRunner& m_runner;
    std::vector<Entry>& m_entries;
    IBatchProgress& m_progress;
    std::atomic<bool>& m_stop;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::size_t m_next = 0;
    std::size_t m_handled = 0;
};

BatchRun::BatchRun(IJobRunner& runner, std::size_t parallelism)
    : m_runner(runner), m_parallelism(std::max<std::size_t>(parallelism, 1))
{
}

BatchRun::~BatchRun()
{
    Wait();
}

BatchOutcome BatchRun::Run(const BatchRequest& request, IBatchProgress& progress)
{
    m_bStop.store(false);
    return RunEntries(request, progress);
}

void BatchRun::Start(BatchRequest request, IBatchProgress& progress, std::function<void(const BatchOutcome&)> done)
{
    Wait();
    m_bStop.store(false);
    m_thread = std::thread([this, request = std::move(request), &progress, done = std::move(done)] {
        const BatchOutcome outcome = RunEntries(request, progress);
        if (done)
            done(outcome);
    });
}

void BatchRun::Wait()
{
    if (m_thread.joinable())
        m_thread.join();
}

BatchOutcome BatchRun::RunEntries(const BatchRequest& request, IBatchProgress& progress)
{
    BatchOutcome outcome;
    outcome.entries = request.entries.size();
    if (request.entries.empty() || request.outDir.empty()) {
        outcome.refused = true;
        outcome.message = BatchSummary(outcome, 0);
        return outcome;
    }

    // Looked up once for every entry; a code outside the table writes BMP, as
    // combo index -1 does, and so does an empty list.
    std::vector<const OutputFormat*> formats;
    for (const std::uint32_t type : request.typeCodes) {
        const OutputFormat* format = FormatByTypeCode(type);
        formats.push_back(format ? format : &FormatByComboIndex(-1));
    }
    if (formats.empty())
        formats.push_back(&FormatByComboIndex(-1));
    std::vector<Entry> entries(request.entries.size());
    std::unordered_map<std::string, std::size_t> lastWriter;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        Entry& entry = entries[i];
        entry.job.inputPath = request.entries[i];
        entry.job.inputType = TypeFromPath(entry.job.inputPath);
        const std::string base = OutputBasePath(request.outDir, TitleFromPath(entry.job.inputPath));
        const std::filesystem::path normalInput = std::filesystem::path(entry.job.inputPath).lexically_normal();
        for (const OutputFormat* format : formats) {
            const std::string path = base + format->extension;
            if (IsOwnInput(normalInput, path)) {
                entry.failures.push_back(
                    BatchFailure{entry.job.inputPath, path, "the output would replace the input file", formats.size() > 1});
                continue;
            }
            entry.job.outputs.push_back(OutputRequest{path, format->typeCode});
            auto [it, inserted] = lastWriter.emplace(path, i);
            if (!inserted) {
                entry.predecessors.push_back(it->second);
                it->second = i;
            }
        }
    }

    const auto n = static_cast<std::int64_t>(entries.size());
    progress.SetRange(0, n);
    progress.SetStep(1);
    progress.SetPosition(0);

    Pass pass(m_runner, entries, progress, m_bStop);
    std::vector<std::thread> helpers;
    for (std::size_t t = 1; t < std::min(m_parallelism, entries.size()); ++t)
        helpers.emplace_back([&pass] { pass.Work(); });
    pass.Work();
    for (std::thread& t : helpers)
        t.join();

    outcome.handled = pass.Handled();
    outcome.stopped = pass.Started() < entries.size();
    for (Entry& entry : entries) {
        outcome.written += entry.done && entry.failures.empty() ? 1 : 0;
        for (BatchFailure& f : entry.failures)
            outcome.failures.push_back(std::move(f));
    }
    progress.SetPosition(outcome.stopped ? static_cast<std::int64_t>(outcome.handled) : n);
    outcome.message = BatchSummary(outcome, 20);
    return outcome;
}
