// tessaglyph-convert: the command-line converter, and with --worker the
// worker process of the window and of this converter.
#include "CliOptions.h"
#include "TerminalProgress.h"

#include "BatchRun.h"
#include "CodecEnvironment.h"
#include "ConversionEngine.h"
#include "ConvertMessages.h"
#include "FolderScan.h"
#include "PictureList.h"
#include "InProcessJobs.h"
#include "WorkerLocation.h"
#include "SystemInfo.h"
#include "WorkerLoop.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::atomic<BatchRun*> g_run{nullptr};
std::atomic<ConversionEngine*> g_engine{nullptr};
std::atomic<int> g_stopSignals{0};

// The first Ctrl+C lets the files in flight finish; the second kills their
// workers, whose unfinished files the engine then removes; a third ends the
// program at once.
void OnStopSignal(int number)
{
    if (g_stopSignals.fetch_add(1) == 0) {
        if (BatchRun* run = g_run.load())
            run->RequestStop();
        return;
    }
    if (ConversionEngine* engine = g_engine.load())
        engine->Abort();
    std::signal(number, SIG_DFL);
}


int RunWorker()
{
    // Before the codec starts, so ImageMagick's limits follow the ceiling.
    if (!CapDataSize(kWorkerMemoryBytes))
        std::perror("tessaglyph-convert: cannot cap the worker's memory");
    // The engine sets the policy folder; set it here too for a worker started by hand.
    if (!std::getenv("MAGICK_CONFIGURE_PATH")) {
        const std::string policy = FindPolicyFolder(DefaultWorkerProgram());
        if (!policy.empty())
            ::setenv("MAGICK_CONFIGURE_PATH", policy.c_str(), 1);
    }
    int in = -1;
    int out = -1;
    if (!PrepareWorkerProcess(&in, &out)) {
        std::fputs("tessaglyph-convert: cannot set up the worker's pipes\n", stderr);
        return kExitUsage;
    }
    return RunWorkerLoop(in, out, WorkerJobFunctions{RunConversionJob, RenderPreview});
}

void PrintLine(std::FILE* stream, const std::string& text)
{
    std::fputs(text.c_str(), stream);
    std::fputc('\n', stream);
}

int Usage(const std::string& problem)
{
    PrintLine(stderr, "tessaglyph-convert: " + problem);
    PrintLine(stderr, "Try 'tessaglyph-convert --help' for more information.");
    return kExitUsage;
}

int Convert(const CliOptions& options)
{
    PictureList list;
    list.AddMany(options.files);
    for (const std::string& folder : options.folders) {
        std::vector<std::string> found;
        FolderScan scan([&found](const std::string& path) { found.push_back(path); });
        const FolderScanResult result = scan.Run(folder);
        for (const std::string& skipped : result.skippedFolders)
            PrintLine(stderr, "tessaglyph-convert: skipped folder " + skipped);
        list.AddMany(std::move(found), folder);
    }
    // The window's order of tests: inputs and out folder first, then the format.
    if (list.Empty() || options.outDir.empty()) {
        PrintLine(stderr, kMsgSelectInAndOut);
        return kExitUsage;
    }
    if (options.typeCodes.empty()) {
        PrintLine(stderr, kMsgSelectOutType);
        return kExitUsage;
    }

    EngineOptions engineOptions;
    engineOptions.conversionWorkers = options.jobs;
    engineOptions.previewWorkers = 0;
    ConversionEngine engine(engineOptions);
    BatchRun run(engine, engine.ConversionWorkerCount());
    TerminalProgress progress(stderr);

    g_run.store(&run);
    g_engine.store(&engine);
    HandleStopSignals(OnStopSignal);
    const BatchRequest request{list.Entries(), options.outDir, options.typeCodes, options.conversion, list.Roots()};
    const BatchOutcome outcome = run.Run(request, progress);
    g_run.store(nullptr);
    g_engine.store(nullptr);
    progress.Finish();

    // Skipped and renamed outputs are done as asked: said on standard output.
    for (const BatchFailure& notice : outcome.notices)
        PrintLine(stdout, notice.Line());
    if (!outcome.stopped && outcome.failures.empty()) {
        PrintLine(stdout, outcome.message);
        return kExitAllWritten;
    }
    for (const BatchFailure& failure : outcome.failures)
        PrintLine(stderr, failure.Line());
    PrintLine(stderr, BatchHeadline(outcome));
    // A second Ctrl+C may cut the files in flight although every file had started.
    return outcome.stopped || g_stopSignals.load() > 1 ? kExitStopped : kExitSomeFailed;
}

}  // namespace

int main(int argc, char** argv)
{
    const CliOptions options = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (options.worker)
        return RunWorker();
    if (!options.error.empty())
        return Usage(options.error);
    if (options.help) {
        std::fputs(HelpText().c_str(), stdout);
        return kExitAllWritten;
    }
    return Convert(options);
}
