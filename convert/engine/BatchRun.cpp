#include "BatchRun.h"

#include "ConvertMessages.h"
#include "FileIo.h"
#include "InputFiles.h"
#include "Naming.h"
#include "OutputFormat.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <unordered_map>

namespace {

// The batch run's own closing message after a stop; the others are shared.
const char* const kMsgConvertStopped = "Convert picture stopped.";

std::string PicturesOf(std::size_t count, std::size_t total, const std::string& what)
{
    return std::to_string(count) + " of " + std::to_string(total) + (total == 1 ? " picture was " : " pictures were ")
           + what;
}

// Which outputs of the job the result says were written, in request order.
std::vector<bool> WrittenOutputs(const ConversionJob& job, const ConversionResult& result)
{
    std::vector<bool> written(job.outputs.size(), false);
    if (!result.decoded || result.outputs.size() != job.outputs.size())
        return written;
    for (std::size_t k = 0; k < written.size(); ++k)
        written[k] = result.outputs[k].written && result.outputs[k].path == job.outputs[k].path;
    return written;
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
    const std::string counts = SkippedAndRenamedCounts(outcome.skipped, outcome.renamed);
    if (!outcome.stopped && outcome.failures.empty() && outcome.written == outcome.entries)
        return kMsgConvertOk + counts;
    const std::string asAsked = outcome.skipped > 0 ? " or skipped as asked" : "";
    if (outcome.stopped)
        return std::string(kMsgConvertStopped) + "\n"
               + PicturesOf(outcome.written, outcome.entries, "converted" + asAsked + " before the stop.") + counts;
    return std::string(kMsgConvertFailed) + "\n" + PicturesOf(outcome.written, outcome.entries, "written" + asAsked + ".")
           + counts;
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
    std::vector<std::size_t> outputIds;     // per output: its path's number among the run's outputs
    std::vector<std::size_t> predecessors;  // earlier entries writing one of the same files
    bool done = false;
    std::vector<bool> written;              // per output, once done
    std::vector<BatchFailure> failures;
    std::vector<BatchFailure> notices;      // outputs skipped or renamed
    std::size_t skipped = 0;
    std::size_t renamed = 0;
    std::string folderToMake;               // keep-tree: the entry's own output folder
    bool damaged = false;                   // its first failure says the picture came damaged
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

            std::string why;
            if (!entry.folderToMake.empty() && !entry.job.outputs.empty() && !MakeFolders(entry.folderToMake, why)) {
                entry.failures.push_back(BatchFailure{entry.job.inputPath, "",
                                                      "the folder " + entry.folderToMake + " cannot be made (" + why + ")"});
            } else if (!entry.job.outputs.empty()) {
                const ConversionResult result = m_runner.Run(entry.job);
                Record(entry, result);
                entry.written = WrittenOutputs(entry.job, result);
            }

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
        if (!result.damage.empty()) {
            bool anyWritten = false;
            for (const OutputResult& out : result.outputs)
                anyWritten = anyWritten || out.written;
            entry.failures.push_back(BatchFailure{input, "", DamagedPictureReason(result.damage, anyWritten)});
            entry.damaged = true;
        }
        for (const OutputResult& out : result.outputs) {
            if (!out.Done())
                entry.failures.push_back(BatchFailure{input, out.path, out.reason, several});
            if (out.skipped)
                entry.notices.push_back(BatchFailure{input, out.path, kMsgSkippedExists, several});
            else if (out.written && !out.renamedTo.empty())
                entry.notices.push_back(BatchFailure{input, out.path, WrittenAsLine(out.renamedTo), several});
            entry.skipped += out.skipped ? 1 : 0;
            entry.renamed += out.written && !out.renamedTo.empty() ? 1 : 0;
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

void BatchRun::MarkReplaced(std::vector<Entry>& entries, std::size_t pathCount, bool several)
{
    constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::vector<std::size_t> lastWriter(pathCount, kNone);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        for (std::size_t k = 0; k < entries[i].written.size(); ++k) {
            if (entries[i].written[k])
                lastWriter[entries[i].outputIds[k]] = i;
        }
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        Entry& entry = entries[i];
        for (std::size_t k = 0; k < entry.written.size(); ++k) {
            const std::size_t winner = lastWriter[entry.outputIds[k]];
            if (!entry.written[k] || winner == i)
                continue;
            entry.written[k] = false;
            entry.failures.push_back(BatchFailure{entry.job.inputPath, entry.job.outputs[k].path,
                                                  "replaced by " + entries[winner].job.inputPath
                                                      + ", which has the same name",
                                                  several});
        }
    }
}

void BatchRun::NoteWritten(Entry& entry, std::size_t formatCount)
{
    std::string names;
    std::size_t count = 0;
    for (std::size_t k = 0; k < entry.written.size(); ++k) {
        if (!entry.written[k])
            continue;
        names += (count++ == 0 ? "" : ", ") + std::string(FileNameFromPath(entry.job.outputs[k].path));
    }
    if (count > 0 && count + entry.skipped < formatCount)
        entry.failures.push_back(BatchFailure{entry.job.inputPath, "", names + (count == 1 ? " was written" : " were written")});
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
    // Every output is checked against every input before anything is
    // written, so the list's order cannot let one entry's output replace
    // another entry's picture.
    std::vector<Entry> entries(request.entries.size());
    InputFiles inputs(request.entries);
    struct Writers {
        std::size_t id;    // the path's number
        std::size_t last;  // the latest entry writing it so far
    };
    std::unordered_map<std::string, Writers> writers;
    const bool several = formats.size() > 1;
    const bool replacing = request.options.ifExists == ExistingFiles::Replace;
    const bool keepTree = request.options.folders == FolderLayout::KeepTree;
    const std::string noRoot;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        Entry& entry = entries[i];
        entry.job.inputPath = request.entries[i];
        entry.job.inputType = TypeFromPath(entry.job.inputPath);
        entry.job.options = request.options;
        std::string folder = request.outDir;
        if (keepTree) {
            const std::string& root = i < request.roots.size() ? request.roots[i] : noRoot;
            folder = TreeOutputFolder(request.outDir, root, entry.job.inputPath);
            if (folder != WithoutFinalSeparator(request.outDir))
                entry.folderToMake = folder;
        }
        const std::string base = OutputBasePath(folder, TitleFromPath(entry.job.inputPath));
        for (const OutputFormat* format : formats) {
            const std::string path = base + format->extension;
            // Skipping and numbering never replace a file, so no input is at risk.
            const std::string* input = replacing ? inputs.ReplacedBy(path) : nullptr;
            if (input != nullptr) {
                entry.failures.push_back(
                    BatchFailure{entry.job.inputPath, path, "the output would replace the input file " + *input, several});
                continue;
            }
            entry.job.outputs.push_back(OutputRequest{path, format->typeCode});
            auto [it, inserted] = writers.try_emplace(path, Writers{writers.size(), i});
            if (!inserted) {
                entry.predecessors.push_back(it->second.last);
                it->second.last = i;
            }
            entry.outputIds.push_back(it->second.id);
        }
    }

    const auto n = static_cast<std::int64_t>(entries.size());
    progress.SetRange(0, n);
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
    // Numbered outputs all stay; skipped ones were never written.
    if (replacing)
        MarkReplaced(entries, writers.size(), several);
    for (Entry& entry : entries) {
        NoteWritten(entry, formats.size());
        // A damaged picture whose outputs were all written counts as written;
        // its line still makes the run fail.
        const std::size_t notes = entry.damaged ? 1 : 0;
        outcome.written += entry.done && entry.failures.size() == notes ? 1 : 0;
        for (BatchFailure& f : entry.failures)
            outcome.failures.push_back(std::move(f));
        for (BatchFailure& notice : entry.notices)
            outcome.notices.push_back(std::move(notice));
        outcome.skipped += entry.skipped;
        outcome.renamed += entry.renamed;
    }
    progress.SetPosition(outcome.stopped ? static_cast<std::int64_t>(outcome.handled) : n);
    outcome.message = BatchSummary(outcome, 20);
    return outcome;
}
