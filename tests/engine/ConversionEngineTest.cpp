// The pool's behaviour with a fake worker (see FakeWorker.cpp): faults cost
// only their job, the pool recovers, previews do not wait for conversions.
#include "BatchRun.h"
#include "ConversionEngine.h"
#include "OutputFormat.h"
#include "WorkerLocation.h"

#include "EngineTestSupport.h"
#include "ScratchFolder.h"
#include "NullProgress.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <set>
#include <thread>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using namespace enginetest;
using namespace std::chrono_literals;

EngineOptions FakeOptions(std::size_t workers = 2)
{
    EngineOptions options;
    options.workerProgram = BinaryPath("test_fake_worker");
    options.conversionWorkers = workers;
    options.jobTimeLimit = 1500ms;
    options.previewTimeLimit = 1500ms;
    return options;
}

ConversionJob Job(const std::string& input, const std::string& output, std::uint32_t type = kTypeBmp)
{
    return ConversionJob{input, TypeFromPath(input), {{output, type}}};
}

class ConversionEngineTest : public testing::Test {
protected:
    ScratchFolder dir;
    std::string Good(const std::string& name)
    {
        WriteFile(dir / name, "picture " + name);
        return dir / name;
    }
};

TEST_F(ConversionEngineTest, WritesEveryOutputAndReportsInRequestOrderAndProgressPerShare)
{
    ConversionEngine engine(FakeOptions());
    const std::string in = Good("photo.png");
    ConversionJob job{in, kTypePng, {}};
    for (const char* ext : {"bmp", "gif", "tif", "png", "jpg"})
        job.outputs.push_back({dir / (std::string("out.") + ext), TypeFromPath(ext)});

    std::vector<std::size_t> handled;  // the engine never calls twice at once
    const ConversionResult result = engine.RunWithProgress(job, [&](std::size_t n) { handled.push_back(n); });
    ASSERT_EQ(handled.size(), 2u) << "one call per worker's share";
    EXPECT_LT(handled[0], handled[1]);
    EXPECT_EQ(handled[1], job.outputs.size());
    ASSERT_TRUE(result.decoded);
    ASSERT_EQ(result.outputs.size(), job.outputs.size());
    std::set<std::string> workers;
    for (std::size_t i = 0; i < job.outputs.size(); ++i) {
        EXPECT_EQ(result.outputs[i].path, job.outputs[i].path);
        EXPECT_TRUE(result.outputs[i].written) << result.outputs[i].reason;
        const std::string bytes = ReadFile(job.outputs[i].path);
        EXPECT_EQ(bytes.rfind("picture photo.png\n" + std::to_string(job.outputs[i].typeCode) + " ", 0), 0u);
        workers.insert(bytes.substr(bytes.rfind(' ') + 1));
    }
    EXPECT_EQ(workers.size(), 2u) << "a five-format job should use both free workers";
}

TEST(SplitOutputsTest, PutsGifAndPngOnDifferentWorkersAndKeepsEveryOutputOnce)
{
    std::vector<OutputRequest> outputs;
    for (const OutputFormat& f : OutputFormats())
        outputs.push_back({std::string("/o/x") + f.extension, f.typeCode});
    const auto shares = SplitOutputs(outputs, 2);
    ASSERT_EQ(shares.size(), 2u);
    std::multiset<std::size_t> seen;
    for (const auto& share : shares) {
        EXPECT_TRUE(std::is_sorted(share.begin(), share.end()));
        seen.insert(share.begin(), share.end());
        int slow = 0;
        for (std::size_t i : share)
            slow += (outputs[i].typeCode == kTypeGif || outputs[i].typeCode == kTypePng) ? 1 : 0;
        EXPECT_EQ(slow, 1);
    }
    EXPECT_EQ(seen, (std::multiset<std::size_t>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(SplitOutputs(outputs, 20).size(), 9u);
    EXPECT_EQ(SplitOutputs({outputs[0]}, 4).size(), 1u);
}

TEST_F(ConversionEngineTest, BatchEntriesRunOnEveryWorkerAtOnce)
{
    ConversionEngine engine(FakeOptions(2));
    BatchRun run(engine, engine.ConversionWorkerCount());
    NullProgress progress;
    std::vector<std::string> entries;
    for (int i = 0; i < 4; ++i)
        entries.push_back(Good("slow" + std::to_string(i) + ".png"));
    fs::create_directory(dir / "out");
    const BatchOutcome outcome = run.Run(BatchRequest{entries, dir / "out", {kTypeTga}}, progress);
    EXPECT_EQ(outcome.message, "Convert picture OK.");
    std::set<std::string> workers;
    for (int i = 0; i < 4; ++i) {
        const std::string bytes = ReadFile(dir / ("out/slow" + std::to_string(i) + ".tga"));
        workers.insert(bytes.substr(bytes.rfind(' ') + 1));
    }
    EXPECT_EQ(workers.size(), 2u);
}

TEST_F(ConversionEngineTest, CrashCostsOnlyThatFileAndThePoolRecovers)
{
    ConversionEngine engine(FakeOptions(1));
    const ConversionResult crashed = engine.Run(Job(Good("x-crashme.png"), dir / "x.bmp"));
    EXPECT_FALSE(crashed.decoded);
    ASSERT_EQ(crashed.outputs.size(), 1u);
    EXPECT_FALSE(crashed.outputs[0].written);
    EXPECT_NE(crashed.outputs[0].reason.find("could not be converted"), std::string::npos) << crashed.outputs[0].reason;
    EXPECT_NE(crashed.outputs[0].reason.find("SIGABRT"), std::string::npos) << crashed.outputs[0].reason;

    for (int i = 0; i < 3; ++i) {
        const ConversionResult next = engine.Run(Job(Good("y.png"), dir / "y.bmp"));
        EXPECT_TRUE(next.outputs.at(0).written) << next.outputs[0].reason;
    }
}

TEST_F(ConversionEngineTest, WorkerDyingMidWriteLeavesNoTemporaryFileAndReportsWhatItWrote)
{
    ConversionEngine engine(FakeOptions(1));
    fs::create_directory(dir / "o");
    const ConversionResult result =
        engine.Run(ConversionJob{Good("dies.png"), kTypePng, {{dir / "o/a.bmp", kTypeBmp}, {dir / "o/a.gif", kTypeGif}}});
    EXPECT_TRUE(result.decoded);
    EXPECT_TRUE(result.outputs.at(0).written) << result.outputs[0].reason;
    EXPECT_FALSE(result.outputs.at(1).written);
    EXPECT_NE(result.outputs[1].reason.find("SIGXFSZ"), std::string::npos) << result.outputs[1].reason;
    EXPECT_EQ(EntryNames(dir / "o"), std::vector<std::string>{"a.bmp"});
}

TEST_F(ConversionEngineTest, AbortEndsTheJobsInFlightAndEveryLaterOne)
{
    ConversionEngine engine(FakeOptions(2));
    std::vector<ConversionResult> results(2);
    std::vector<std::thread> jobs;
    for (int i = 0; i < 2; ++i)
        jobs.emplace_back([&, i] { results[i] = engine.Run(Job(Good("hangme" + std::to_string(i) + ".png"), dir / "h.bmp")); });
    engine.Abort();
    for (std::thread& t : jobs)
        t.join();
    results.push_back(engine.Run(Job(Good("ok.png"), dir / "ok.bmp")));
    for (const ConversionResult& result : results)
        EXPECT_EQ(result.outputs.at(0).reason, "the run was stopped before it was written");
}

TEST_F(ConversionEngineTest, HangIsCutByTheTimeLimit)
{
    ConversionEngine engine(FakeOptions(1));
    const auto start = std::chrono::steady_clock::now();
    const ConversionResult hung = engine.Run(Job(Good("hangme.png"), dir / "h.bmp"));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
    EXPECT_FALSE(hung.outputs.at(0).written);
    EXPECT_NE(hung.outputs[0].reason.find("no answer within 2 seconds"), std::string::npos) << hung.outputs[0].reason;
    EXPECT_TRUE(engine.Run(Job(Good("ok.png"), dir / "ok.bmp")).outputs.at(0).written);
}

class MisbehavingWorkerTest : public ConversionEngineTest, public testing::WithParamInterface<const char*> {};

TEST_P(MisbehavingWorkerTest, FailsOnlyThatJob)
{
    ConversionEngine engine(FakeOptions(1));
    const ConversionResult bad = engine.Run(Job(Good(std::string(GetParam()) + ".png"), dir / "b.bmp"));
    EXPECT_FALSE(bad.outputs.at(0).written);
    EXPECT_NE(bad.outputs[0].reason.find("could not be converted"), std::string::npos) << bad.outputs[0].reason;
    EXPECT_FALSE(fs::exists(dir / "b.bmp"));
    EXPECT_TRUE(engine.Run(Job(Good("ok.png"), dir / "ok.bmp")).outputs.at(0).written);
}

INSTANTIATE_TEST_SUITE_P(Faults, MisbehavingWorkerTest, testing::Values("garbage", "closes", "wrongid"));

TEST_F(ConversionEngineTest, WorkersInheritNoDescriptorButTheirPipes)
{
    // A descriptor this process holds without close-on-exec, as a host
    // program might; the worker must not keep it (or another worker's pipe).
    const int leaked = ::dup2(::open("/dev/null", O_RDONLY), 200);
    ASSERT_EQ(leaked, 200);
    ConversionEngine engine(FakeOptions(2));
    const ConversionResult result = engine.Run(Job(Good("fds.png"), dir / "f.bmp"));
    ::close(leaked);
    const std::string fds = " " + result.outputs.at(0).reason;
    EXPECT_EQ(fds.find(" 200 "), std::string::npos) << fds;
    EXPECT_NE(fds.find(" 0 1 2 "), std::string::npos) << fds;
    EXPECT_LE(std::count(fds.begin(), fds.end(), ' '), 8) << fds;
}

TEST_F(ConversionEngineTest, MissingInputIsReportedNotFatal)
{
    ConversionEngine engine(FakeOptions(1));
    const ConversionResult missing = engine.Run(Job(dir / "nothing.png", dir / "n.bmp"));
    EXPECT_FALSE(missing.decoded);
    EXPECT_EQ(missing.outputs.at(0).reason, "the picture could not be decoded");
}

TEST_F(ConversionEngineTest, PreviewIsAnsweredWhileEveryConversionWorkerIsBusy)
{
    ConversionEngine engine(FakeOptions(2));
    std::atomic<int> finished{0};
    std::vector<std::thread> conversions;
    for (int i = 0; i < 2; ++i) {
        conversions.emplace_back([&, i] {
            engine.Run(Job(Good("hangme" + std::to_string(i) + ".png"), dir / ("h" + std::to_string(i) + ".bmp")));
            ++finished;
        });
    }
    const PreviewResult preview = engine.Preview(PreviewRequest{Good("p.png"), kTypePng, 250, 230});
    EXPECT_EQ(finished.load(), 0) << "the preview waited for the conversions";
    EXPECT_TRUE(preview.ok) << preview.error;
    EXPECT_EQ(preview.rgba.size(), 8u);
    for (std::thread& t : conversions)
        t.join();
}

TEST_F(ConversionEngineTest, PreviewOutsideTheProtocolLimitsFailsCleanly)
{
    ConversionEngine engine(FakeOptions(1));
    const PreviewResult preview = engine.Preview(PreviewRequest{Good("p.png"), kTypePng, -5, 100000});
    EXPECT_FALSE(preview.ok);
    EXPECT_FALSE(preview.error.empty());
}

TEST_F(ConversionEngineTest, MissingWorkerProgramFailsEachJobWithAReason)
{
    EngineOptions options = FakeOptions(1);
    options.workerProgram = dir / "no-such-worker";
    ConversionEngine engine(options);
    const ConversionResult result = engine.Run(Job(Good("a.png"), dir / "a.bmp"));
    EXPECT_FALSE(result.outputs.at(0).written);
    EXPECT_NE(result.outputs[0].reason.find("could not be started"), std::string::npos) << result.outputs[0].reason;
    EXPECT_FALSE(engine.Preview(PreviewRequest{dir / "a.png", 4, 10, 10}).ok);
}

TEST_F(ConversionEngineTest, ShutdownLeavesNoChildProcess)
{
    {
        ConversionEngine engine(FakeOptions(2));
        engine.Run(Job(Good("a.png"), dir / "a.bmp"));
        engine.Run(Job(Good("crashme.png"), dir / "c.bmp"));
    }
    errno = 0;
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

TEST_F(ConversionEngineTest, RunAfterShutdownFailsInsteadOfBlocking)
{
    ConversionEngine engine(FakeOptions(1));
    engine.Shutdown();
    EXPECT_FALSE(engine.Run(Job(Good("a.png"), dir / "a.bmp")).outputs.at(0).written);
}

}  // namespace

namespace {

using namespace enginetest;

TEST(WorkerLocationTest, FindsThePolicyInTheBuildAndInstalledLayouts)
{
    const std::string built = FindPolicyFolder(BinaryPath("tessaglyph-convert"));
    EXPECT_EQ(built, fs::canonical(TESSAGLYPH_BINARY_DIR).string() + "/magick");

    ScratchFolder prefix;
    WriteFile(prefix / "bin/tessaglyph-convert", "");
    WriteFile(prefix / "share/tessaglyph/magick/policy.xml", "<policymap/>");
    EXPECT_EQ(FindPolicyFolder(prefix / "bin/tessaglyph-convert"), prefix / "share/tessaglyph/magick");
    ScratchFolder empty;
    EXPECT_EQ(FindPolicyFolder(empty / "bin/tessaglyph-convert"), "");
    EXPECT_EQ(fs::path(DefaultWorkerProgram()).filename(), "tessaglyph-convert");
}

}  // namespace
