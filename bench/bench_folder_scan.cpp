// Times the folder scan and the picture list on a tree of 100,000 files, and
// the batch run's planning of 100,000 entries with distinct names, into an
// empty out folder, into one that holds every output already, and onto the
// inputs themselves:
// bench_folder_scan [FOLDER]   (default bench/out/scan-tree, made once)
#include "BatchRun.h"
#include "FolderScan.h"
#include "OutputFormat.h"
#include "PictureList.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

void MakeTree(const fs::path& root)
{
    if (fs::exists(root / ".complete"))
        return;
    // 1,000 folders in two levels, 100 files each: nine kinds of picture and one text file.
    const char* names[] = {".bmp", ".JPG", ".gif", ".pcx", ".png", ".ico", ".tif", ".tga", ".raw", ".txt"};
    for (int a = 0; a < 20; ++a) {
        for (int b = 0; b < 50; ++b) {
            const fs::path folder = root / ("Album " + std::to_string(a)) / ("day" + std::to_string(b));
            fs::create_directories(folder);
            for (int i = 0; i < 100; ++i)
                std::ofstream(folder / ("IMG_" + std::to_string(i) + names[i % 10]));
        }
    }
    std::ofstream(root / ".complete");
}

double Seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// 100,000 empty inputs with distinct names, and an out folder holding a BMP
// of each, made once.
std::vector<std::string> MakeFlatInputs(const fs::path& root)
{
    std::vector<std::string> inputs;
    const bool made = fs::exists(root / ".complete");
    fs::create_directories(root / "in");
    fs::create_directories(root / "full");
    fs::create_directories(root / "empty");
    for (int i = 0; i < 100000; ++i) {
        const std::string name = "p" + std::to_string(i);
        inputs.push_back((root / "in" / (name + ".png")).string());
        if (!made) {
            std::ofstream(inputs.back());
            std::ofstream(root / "full" / (name + ".bmp"));
        }
    }
    std::ofstream(root / ".complete");
    return inputs;
}

// Answers every job at once and writes nothing.
class NullRunner final : public IJobRunner {
public:
    ConversionResult Run(const ConversionJob& job) override
    {
        ConversionResult result;
        result.decoded = true;
        for (const OutputRequest& o : job.outputs)
            result.outputs.push_back(OutputResult{o.path, o.typeCode, true, ""});
        return result;
    }
};

// Notes when the bar gets its range, the end of the run's planning.
class RangeClock final : public IBatchProgress {
public:
    Clock::time_point ranged;
    void SetRange(std::int64_t, std::int64_t) override { ranged = Clock::now(); }
    void SetPosition(std::int64_t) override {}
};

void TimePlanning(const std::vector<std::string>& inputs, const fs::path& outDir, std::uint32_t type, const char* what)
{
    NullRunner runner;
    BatchRun run(runner, 2);
    RangeClock progress;
    const auto start = Clock::now();
    const BatchOutcome outcome = run.Run(BatchRequest{inputs, outDir.string(), {type}}, progress);
    const double total = Seconds(start);
    std::printf("batch of %zu entries into %s: bar's range after %.3f s, whole run (nothing written) %.3f s, %zu refused\n",
                inputs.size(), what, std::chrono::duration<double>(progress.ranged - start).count(), total,
                outcome.failures.size());
}

}  // namespace

int main(int argc, char** argv)
{
    const fs::path root = argc > 1 ? fs::path(argv[1]) : fs::path(TESSAGLYPH_BENCH_OUT) / "scan-tree";
    MakeTree(root);

    std::vector<std::string> found;
    auto start = Clock::now();
    FolderScan scan([&found](const std::string& path) { found.push_back(path); });
    const FolderScanResult result = scan.Run(root.string());
    const double scanTime = Seconds(start);

    PictureList list;
    start = Clock::now();
    list.AddMany(found);
    const double addTime = Seconds(start);
    start = Clock::now();
    const std::size_t again = list.AddMany(found);
    const double addAgainTime = Seconds(start);
    start = Clock::now();
    for (int i = 0; i < 1000 && !list.Empty(); ++i)
        list.RemoveAt(list.Size() / 2);
    const double removeTime = Seconds(start);

    std::printf("scan: %zu pictures in %.3f s (%zu folders skipped)\n", found.size(), scanTime,
                result.skippedFolders.size());
    std::printf("list: add all %.3f s, add all again (%zu new) %.3f s, 1,000 removals from the middle %.3f s\n",
                addTime, again, addAgainTime, removeTime);

    const fs::path flat = fs::path(TESSAGLYPH_BENCH_OUT) / "plan-flat";
    const std::vector<std::string> inputs = MakeFlatInputs(flat);
    TimePlanning(inputs, flat / "empty", kTypeBmp, "an empty out folder");
    TimePlanning(inputs, flat / "full", kTypeBmp, "a folder holding every output");
    TimePlanning(inputs, flat / "in", kTypePng, "the inputs themselves");
    return 0;
}
