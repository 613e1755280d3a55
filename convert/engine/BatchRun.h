#pragma once

#include "ConversionJob.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

// The progress bar of a batch run. The run calls SetRange(0, n) and
// SetPosition(0) before the first entry, SetPosition(handled - 1) after
// each handled entry (so three entries give 0, 1, 2) and SetPosition(n) at the
// end; after a stop it ends at the number handled instead. Calls come from the
// run's threads, never two at once, in that order.
class IBatchProgress {
public:
    virtual ~IBatchProgress() = default;
    virtual void SetRange(std::int64_t lower, std::int64_t upper) = 0;
    virtual void SetPosition(std::int64_t position) = 0;
};

struct BatchRequest {
    std::vector<std::string> entries;      // full paths, in list order
    std::string outDir;                    // with or without a final separator
    std::vector<std::uint32_t> typeCodes;  // outputs of every entry, in table order
    ConversionOptions options;             // for every entry; see BatchRun for the folder layout
    // Per entry, the folder a scan found it under ("" or missing: none), as
    // PictureList::Roots gives them; only FolderLayout::KeepTree reads them.
    std::vector<std::string> roots;
};

// The window's single format: the row of the format list's index, where any
// index outside 1 to 8 (-1 included) gives BMP.
std::vector<std::uint32_t> TypeCodesForComboIndex(int index);

struct BatchFailure {
    std::string inputPath;
    std::string outputPath;  // empty when the whole entry failed (not decoded)
    std::string reason;
    bool oneOfSeveral = false;  // the entry had other outputs (several formats)

    // "<input path>: <reason>"; for one output of several the output's file
    // name stands between them, since the reason may not say which it was.
    std::string Line() const;
};

struct BatchOutcome {
    bool refused = false;       // empty list or out folder: nothing ran, progress untouched
    bool stopped = false;       // a stop came before every entry was started
    std::size_t entries = 0;    // n
    std::size_t handled = 0;    // entries finished, written or not
    std::size_t written = 0;    // entries with every output written or skipped as asked (damaged pictures too)
    std::size_t skipped = 0;    // output files skipped because they exist (the options said so)
    std::size_t renamed = 0;    // output files written under a numbered name
    // One per failed output (per entry if not decoded), in list order; an
    // entry of several formats that wrote some of them but not all also gets
    // a line naming the ones it wrote ("a.jpg, a.png were written").
    std::vector<BatchFailure> failures;
    // One per output skipped or written under a new name, in list order
    // ("<input>: skipped: the file exists", "<input>: written as a (2).png");
    // not failures.
    std::vector<BatchFailure> notices;
    std::string message;        // the closing message for the user
};

// "Convert picture OK." when every entry was written; otherwise
// "Convert picture failed." or "Convert picture stopped." and a line with how
// many of how many pictures were written (converted before the stop). When
// outputs were skipped or renamed the lines counting them follow
// (SkippedAndRenamedCounts), and the pictures counted are those "written or
// skipped as asked"; without any the text is exactly as before.
std::string BatchHeadline(const BatchOutcome& outcome);

// The closing message: the headline, then one "<input path>: <reason>" line
// per failure, the first `maxLines` of them, then "and N more".
std::string BatchSummary(const BatchOutcome& outcome, std::size_t maxLines);

// Converts a list of files into one or more formats on a job runner (the
// worker engine, or this process in tools and tests), `parallelism` entries at
// a time, taken in list order. An entry that does not load is skipped and
// reported; one whose picture came damaged is written and reported too.
// Entries that share an output path are written in list order; when the
// options replace existing files the later one wins, and the one it replaced
// counts as not written ("replaced by <later input>, which has the same
// name"); when they add a number the later gets the next free name, and when
// they skip, the later is skipped. No output replaces any input of the run
// (that path, a link to or from it, a hard link of it); that is decided
// before the first entry starts. With FolderLayout::KeepTree an entry's
// outputs go into the out folder plus the folders between its scan root and
// itself (TreeOutputFolder), made as the entry starts. Stop lets the entries
// in flight finish and starts no more.
//
// Threads: Run blocks its caller, which runs entries itself beside
// parallelism - 1 threads of the run's own; progress calls come from any of
// them, serialised. Start runs the same on a thread of its own and calls
// `done` there, after the last progress call. RequestStop may be called from
// any thread, and from a signal handler.
class BatchRun {
public:
    BatchRun(IJobRunner& runner, std::size_t parallelism);
    ~BatchRun();  // waits for a started run
    BatchRun(const BatchRun&) = delete;
    BatchRun& operator=(const BatchRun&) = delete;

    BatchOutcome Run(const BatchRequest& request, IBatchProgress& progress);

    void Start(BatchRequest request, IBatchProgress& progress, std::function<void(const BatchOutcome&)> done);
    void Wait();

    void RequestStop() { m_bStop.store(true); }

private:
    struct Entry;
    class Pass;

    BatchOutcome RunEntries(const BatchRequest& request, IBatchProgress& progress);
    static void MarkReplaced(std::vector<Entry>& entries, std::size_t pathCount, bool several);
    static void NoteWritten(Entry& entry, std::size_t formatCount);

    IJobRunner& m_runner;
    std::size_t m_parallelism;
    std::atomic<bool> m_bStop{false};
    std::thread m_thread;
};
