// What a decoder failure costs in the program: the inputs in
// library-failures/picture_decoder/ crash, hang or exhaust ImageMagick or
// LibRaw in-process (found by fuzz_picture_decoder; see README there). Run
// through the real worker engine, together with the worker's crash and hang
// hooks, each may fail only its own conversion or preview, and the pictures
// around them still come out.
#include "BatchRun.h"
#include "ConversionEngine.h"
#include "OutputFormat.h"

#include "NullProgress.h"
#include "ScratchFolder.h"
#include "TestEngine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const fs::path kFailures = fs::path(TESSAGLYPH_FUZZ_DIR) / "library-failures" / "picture_decoder";
const fs::path kSuite = fs::path(TESSAGLYPH_TESTDATA_DIR) / "pngsuite";

EngineOptions RealWorker()
{
    EngineOptions options = HookedWorkerOptions(2);
    options.jobTimeLimit = 3s;
    options.previewTimeLimit = 3s;
    return options;
}

// The recorded failures, each named so its extension gives the worker the
// type hint the fuzzer used (see the README beside them).
std::vector<fs::path> RecordedFailures()
{
    std::vector<fs::path> inputs;
    std::error_code ec;
    if (fs::is_directory(kFailures, ec)) {
        for (const auto& entry : fs::directory_iterator(kFailures)) {
            if (entry.is_regular_file() && entry.path().extension() != ".md")
                inputs.push_back(entry.path());
        }
    }
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

TEST(DecoderContainment, EachFailingInputCostsOnlyItsOwnFile)
{
    const ScratchFolder dir;
    fs::create_directories(dir / "in");
    fs::create_directories(dir / "out");
    std::vector<std::string> good;
    std::vector<std::string> entries;
    auto addGood = [&](const char* suiteName, const std::string& as) {
        fs::copy_file(kSuite / suiteName, dir / ("in/" + as));
        good.push_back(dir / ("in/" + as));
        entries.push_back(good.back());
    };
    addGood("basn2c08.png", "a-good.png");
    fs::copy_file(kSuite / "basn2c08.png", dir / "in/b-crashme.png");
    entries.push_back(dir / "in/b-crashme.png");
    fs::copy_file(kSuite / "basn2c08.png", dir / "in/c-hangme.png");
    entries.push_back(dir / "in/c-hangme.png");
    const std::vector<fs::path> failures = RecordedFailures();
    for (std::size_t i = 0; i < failures.size(); ++i) {
        const std::string name = "d" + std::to_string(i) + "-" + failures[i].filename().string();
        fs::copy_file(failures[i], dir / ("in/" + name));
        entries.push_back(dir / ("in/" + name));
    }
    addGood("basn6a08.png", "z-good.png");

    ConversionEngine engine(RealWorker());
    BatchRun run(engine, engine.ConversionWorkerCount());
    NullProgress progress;
    const BatchOutcome outcome = run.Run(BatchRequest{entries, dir / "out", {kTypeBmp}}, progress);

    EXPECT_GE(outcome.failures.size(), 2u) << "the crash and hang hooks must fail their files";
    for (const BatchFailure& failure : outcome.failures)
        EXPECT_TRUE(std::find(good.begin(), good.end(), failure.inputPath) == good.end())
            << failure.inputPath << " failed next to a bad file: " << failure.reason;
    EXPECT_TRUE(fs::exists(dir / "out/a-good.bmp"));
    EXPECT_TRUE(fs::exists(dir / "out/z-good.bmp"));

    // Previews of the same files: a failure comes back as a failed preview,
    // and the preview worker still serves the next picture.
    for (const fs::path& failure : failures)
        engine.Preview(PreviewRequest{failure.string(), TypeFromPath(failure.string()), 250, 230});
    const PreviewResult after = engine.Preview(PreviewRequest{good.front(), kTypePng, 250, 230});
    EXPECT_TRUE(after.ok) << after.error;
}

}  // namespace
