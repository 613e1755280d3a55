#pragma once

#include "ConversionJob.h"
#include "PreviewJob.h"
#include "WorkerPool.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct EngineOptions {
    // The worker program; empty means tessaglyph-convert beside this program.
    std::string workerProgram;
    // Conversion workers; 0 means one per core.
    std::size_t conversionWorkers = 0;
    // Workers kept for previews alone, so a preview never waits for a
    // conversion; 0 for a program that shows none (Preview then fails).
    std::size_t previewWorkers = 1;
    // How long one job (one worker's share of it) may take before its worker
    // is killed and the job reported failed. Huge pictures take minutes.
    std::chrono::milliseconds jobTimeLimit = std::chrono::minutes(5);
    std::chrono::milliseconds previewTimeLimit = std::chrono::minutes(1);
    // ImageMagick threads per worker. With one worker per core, one thread
    // each was measured fastest; 0 leaves ImageMagick's own choice.
    int magickThreads = 1;
    // Let the workers' large allocations use transparent huge pages (glibc's
    // malloc tunable); measured to halve a TIFF batch's time.
    bool hugePages = true;
    // More environment entries for the workers ("NAME=value"), e.g. test hooks.
    std::vector<std::string> environment;
};

// Runs conversions and previews in worker processes (see WorkerPool), which
// it starts in its constructor and reuses; a worker that crashes, hangs past
// its time limit or answers nonsense is killed and replaced, and only the job
// it held fails: the outputs it had put in place stay and are reported
// written, the rest not, and the temporary files it had begun are removed.
// Workers read our ImageMagick policy (found beside the worker program) and
// are limited to `magickThreads` threads.
//
// Thread-safe: Run and Preview may be called from any threads at once and
// block their caller. Destroy the engine only when no call is in progress.
class ConversionEngine final : public IJobRunner {
public:
    explicit ConversionEngine(EngineOptions options = {});
    ~ConversionEngine() override;

    // Converts one job. Its outputs are split over the conversion workers
    // that are free (the slowest formats, GIF and PNG, placed first, each
    // share on its own worker, which decodes the input once); results come
    // back in request order. Outputs are the same bytes as a single worker
    // would write.
    ConversionResult Run(const ConversionJob& job) override;
    // The same, telling `progress` as each worker's share of the outputs ends.
    ConversionResult RunWithProgress(const ConversionJob& job, const OutputProgress& progress) override;

    // Renders a preview on a preview worker.
    PreviewResult Preview(const PreviewRequest& request);

    std::size_t ConversionWorkerCount() const { return m_conversions.Size(); }

    // The ImageMagick policy folder the workers use; empty when none was
    // found beside the worker program (they then use the system's policy).
    const std::string& PolicyFolder() const { return m_policyFolder; }

    // Tells the workers to exit and reaps them. Later calls fail their jobs.
    void Shutdown();

    // Calls off every job in flight and every later one, as a worker's death
    // would (see above), without waiting. Safe in a signal handler.
    void Abort();

private:
    ConversionResult RunShare(std::size_t slot, const ConversionJob& share);

    EngineOptions m_options;
    std::string m_policyFolder;
    WorkerPool m_conversions;
    WorkerPool m_previews;
    std::atomic<std::uint64_t> m_nextJobId{1};
};

// Splits outputs into at most `groups` shares of about equal expected time,
// longest first; each share lists indices into `outputs`, in request order.
std::vector<std::vector<std::size_t>> SplitOutputs(const std::vector<OutputRequest>& outputs, std::size_t groups);
