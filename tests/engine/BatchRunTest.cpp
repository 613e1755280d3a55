// The batch run's rules with a scripted job runner: naming, order, progress,
// refusals, stop and the closing message.
#include "BatchRun.h"
#include "OutputFormat.h"

#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <map>
#include <mutex>
#include <ostream>
#include <thread>

namespace {

struct ProgressLog final : IBatchProgress {
    std::mutex mutex;
    std::vector<std::string> calls;
    void SetRange(std::int64_t lower, std::int64_t upper) override { Add("range " + std::to_string(lower) + ".." + std::to_string(upper)); }
    void SetPosition(std::int64_t position) override { Add("pos " + std::to_string(position)); }
    void Add(const std::string& call)
    {
        std::lock_guard<std::mutex> lock(mutex);
        calls.push_back(call);
    }
};

// Writes nothing; answers from a script keyed by input path, remembers every
// job, and can hold jobs until released.
class ScriptedRunner final : public IJobRunner {
public:
    std::map<std::string, std::string> decodeErrors;
    std::map<std::string, std::string> writeErrors;

    ConversionResult Run(const ConversionJob& job) override
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        jobs.push_back(job);
        ++m_running;
        m_changed.notify_all();
        m_changed.wait(lock, [&] { return !m_bHold; });
        --m_running;
        ConversionResult result;
        if (decodeErrors.count(job.inputPath)) {
            result.decodeError = decodeErrors[job.inputPath];
            for (const auto& o : job.outputs)
                result.outputs.push_back({o.path, o.typeCode, false, result.decodeError});
            return result;
        }
        result.decoded = true;
        for (const auto& o : job.outputs) {
            const bool fails = writeErrors.count(o.path) != 0;
            result.outputs.push_back({o.path, o.typeCode, !fails, fails ? writeErrors[o.path] : ""});
        }
        return result;
    }

    void Hold()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bHold = true;
    }
    void Release()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bHold = false;
        m_changed.notify_all();
    }
    bool WaitUntilRunning(int count)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(10), [&] { return m_running == count; });
    }

    std::vector<ConversionJob> jobs;

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_bHold = false;
    int m_running = 0;
};

BatchRequest Request(std::vector<std::string> entries, std::string outDir, int comboIndex)
{
    return BatchRequest{std::move(entries), std::move(outDir), TypeCodesForComboIndex(comboIndex)};
}

TEST(BatchRunTest, ThreeEntriesMoveTheBarAsTheOriginalDidAndEndAtN)
{
    ScriptedRunner runner;
    BatchRun run(runner, 1);
    ProgressLog progress;
    const BatchOutcome outcome = run.Run(Request({"/p/a.png", "/p/b.png", "/p/c.png"}, "/out", 1), progress);
    EXPECT_EQ(progress.calls, (std::vector<std::string>{"range 0..3", "pos 0", "pos 0", "pos 1", "pos 2", "pos 3"}));
    EXPECT_EQ(outcome.message, "Convert picture OK.");
    EXPECT_EQ(outcome.written, 3u);
}

TEST(BatchRunTest, RefusesAnEmptyListOrOutFolderAndLeavesTheBarAlone)
{
    ScriptedRunner runner;
    BatchRun run(runner, 2);
    ProgressLog progress;
    for (const BatchRequest& request : {Request({}, "/out", 1), Request({"/p/a.png"}, "", 1)}) {
        const BatchOutcome outcome = run.Run(request, progress);
        EXPECT_TRUE(outcome.refused);
        EXPECT_EQ(outcome.message, "Please select in file and Out folder.");
    }
    EXPECT_TRUE(progress.calls.empty());
    EXPECT_TRUE(runner.jobs.empty());
}

struct NamingCase {
    const char* entry;
    const char* outDir;
    int comboIndex;
    const char* output;
    std::uint32_t type;
};

void PrintTo(const NamingCase& c, std::ostream* os)
{
    *os << c.entry << " into " << c.outDir << " as " << c.comboIndex;
}

class BatchNamingTest : public testing::TestWithParam<NamingCase> {};

TEST_P(BatchNamingTest, NamesTheOutputAfterTheTitleAndTheChosenFormat)
{
    const NamingCase& c = GetParam();
    ScriptedRunner runner;
    BatchRun run(runner, 1);
    ProgressLog progress;
    run.Run(Request({c.entry}, c.outDir, c.comboIndex), progress);
    ASSERT_EQ(runner.jobs.size(), 1u);
    EXPECT_EQ(runner.jobs[0].inputType, TypeFromPath(c.entry));
    ASSERT_EQ(runner.jobs[0].outputs.size(), 1u);
    EXPECT_EQ(runner.jobs[0].outputs[0].path, c.output);
    EXPECT_EQ(runner.jobs[0].outputs[0].typeCode, c.type);
}

INSTANTIATE_TEST_SUITE_P(Cases, BatchNamingTest, testing::Values(
    NamingCase{"/pics/photo.png", "/out", 1, "/out/photo.jpg", kTypeJpg},
    NamingCase{"/pics/photo.png", "/out/", 1, "/out/photo.jpg", kTypeJpg},
    NamingCase{"/pics/a.b.png", "/out", 4, "/out/a.b.png", kTypePng},
    NamingCase{"/pics/readme", "/out", 2, "/out/readme.gif", kTypeGif},
    NamingCase{"/pics/photo.png", "/out", -1, "/out/photo.bmp", kTypeBmp},
    NamingCase{"/pics/photo.png", "/out", 0, "/out/photo.bmp", kTypeBmp},
    NamingCase{"/pics/photo.png", "/out", 9, "/out/photo.bmp", kTypeBmp},
    NamingCase{"/pics/photo.png", "/out", 8, "/out/photo.raw", kTypeRaw},
    NamingCase{"/my.pics/scan", "/", 6, "/scan.tif", kTypeTif}));

TEST(BatchRunTest, ReportsExactlyTheEntriesThatFailed)
{
    ScriptedRunner runner;
    runner.decodeErrors["/p/bad.png"] = "the picture could not be decoded";
    runner.writeErrors["/out/full.bmp"] = "no space left";
    BatchRun run(runner, 2);
    ProgressLog progress;
    const BatchOutcome outcome = run.Run(Request({"/p/a.png", "/p/bad.png", "/p/full.png", "/p/z.png"}, "/out", 0), progress);
    EXPECT_EQ(outcome.written, 2u);
    EXPECT_EQ(outcome.message,
              "Convert picture failed.\n2 of 4 pictures were written.\n"
              "/p/bad.png: the picture could not be decoded\n/p/full.png: no space left");
    EXPECT_EQ(progress.calls.back(), "pos 4");
}

TEST(BatchRunTest, SummaryListsTwentyFailuresThenCountsTheRest)
{
    BatchOutcome outcome;
    outcome.entries = 25;
    for (int i = 0; i < 25; ++i)
        outcome.failures.push_back({"/p/" + std::to_string(i), "", "broken"});
    const std::string text = BatchSummary(outcome, 20);
    EXPECT_EQ(text.rfind("Convert picture failed.\n0 of 25 pictures were written.\n/p/0: broken\n", 0), 0u);
    EXPECT_NE(text.find("/p/19: broken\nand 5 more"), std::string::npos);
    EXPECT_EQ(text.find("/p/20:"), std::string::npos);
    outcome.entries = 1;
    outcome.failures.resize(1);
    EXPECT_EQ(BatchSummary(outcome, 20), "Convert picture failed.\n0 of 1 picture was written.\n/p/0: broken");
}

TEST(BatchRunTest, EntriesSharingAnOutputAreWrittenInListOrderAndTheReplacedOneIsNotCounted)
{
    ScriptedRunner runner;
    runner.writeErrors["/out/z.png"] = "disk full";
    BatchRun run(runner, 3);
    ProgressLog progress;
    runner.Hold();
    BatchOutcome outcome;
    std::thread t([&] {
        outcome = run.Run(Request({"/a/x.bmp", "/b/x.png", "/c/y.png", "/d/z.png", "/e/z.png"}, "/out", 4), progress);
    });
    // /a/x and /c/y run at once; /b/x waits for /a/x, which writes the same file.
    ASSERT_TRUE(runner.WaitUntilRunning(2));
    runner.Release();
    t.join();
    ASSERT_EQ(runner.jobs.size(), 5u);
    const auto started = [&](const char* input) {
        return std::find_if(runner.jobs.begin(), runner.jobs.end(), [&](const auto& j) { return j.inputPath == input; });
    };
    EXPECT_GT(started("/b/x.png"), started("/a/x.bmp"));
    // A later entry that failed to write the file replaced nothing.
    EXPECT_EQ(outcome.message, "Convert picture failed.\n2 of 5 pictures were written.\n"
                               "/a/x.bmp: replaced by /b/x.png, which has the same name\n"
                               "/d/z.png: disk full\n/e/z.png: disk full");
}

TEST(BatchRunTest, NoOutputLandsOnAnyInputOfTheRun)
{
    namespace fs = std::filesystem;
    ScratchFolder dir;
    for (const char* name : {"a/x.bmp", "a/h.bmp", "a/k.bmp", "a/l.bmp", "o/x.png", "o/y.png"})
        WriteFile(dir / name, "picture");
    fs::create_directory(dir / "s");
    fs::create_hard_link(dir / "a/k.bmp", dir / "o/h.png");
    fs::create_symlink(dir / "a/l.bmp", dir / "o/l.png");
    fs::create_symlink(dir / "o/y.png", dir / "s/y.bmp");
    ScriptedRunner runner;
    BatchRun run(runner, 1);
    ProgressLog progress;
    // Outputs on another entry's input and on its own, on a hard link of an
    // input, on a link to an input, and on the target of an input that is a link.
    const BatchOutcome outcome = run.Run(Request({dir / "a/x.bmp", dir / "a/h.bmp", dir / "a/k.bmp", dir / "a/l.bmp",
                                                  dir / "o/x.png", dir / "s/y.bmp"},
                                                 dir / "o", 4),
                                         progress);
    ASSERT_EQ(runner.jobs.size(), 1u);
    EXPECT_EQ(runner.jobs[0].inputPath, dir / "a/k.bmp");
    const std::string refused = ": the output would replace the input file ";
    EXPECT_EQ(outcome.message, "Convert picture failed.\n1 of 6 pictures were written.\n"
                                   + (dir / "a/x.bmp") + refused + (dir / "o/x.png") + "\n"
                                   + (dir / "a/h.bmp") + refused + (dir / "a/k.bmp") + "\n"
                                   + (dir / "a/l.bmp") + refused + (dir / "a/l.bmp") + "\n"
                                   + (dir / "o/x.png") + refused + (dir / "o/x.png") + "\n"
                                   + (dir / "s/y.bmp") + refused + (dir / "s/y.bmp"));
}

TEST(BatchRunTest, StopFinishesTheEntriesInFlightAndStartsNoMore)
{
    ScriptedRunner runner;
    BatchRun run(runner, 2);
    ProgressLog progress;
    runner.Hold();
    BatchOutcome outcome;
    bool doneCalled = false;
    run.Start(Request({"/p/1.png", "/p/2.png", "/p/3.png", "/p/4.png", "/p/5.png"}, "/out", 0), progress,
              [&](const BatchOutcome& o) {
                  outcome = o;
                  doneCalled = true;
              });
    ASSERT_TRUE(runner.WaitUntilRunning(2));
    run.RequestStop();
    runner.Release();
    run.Wait();
    ASSERT_TRUE(doneCalled);
    EXPECT_EQ(runner.jobs.size(), 2u);
    EXPECT_TRUE(outcome.stopped);
    EXPECT_EQ(outcome.written, 2u);
    EXPECT_EQ(outcome.message, "Convert picture stopped.\n2 of 5 pictures were converted before the stop.");
    EXPECT_EQ(progress.calls.back(), "pos 2");
}

TEST(BatchRunTest, SeveralFormatsGiveOneOutputEachInTheGivenOrder)
{
    ScriptedRunner runner;
    runner.writeErrors["/out/a.gif"] = "disk full";
    BatchRun run(runner, 1);
    ProgressLog progress;
    const BatchOutcome outcome = run.Run(BatchRequest{{"/p/a.png"}, "/out", {kTypeJpg, kTypeGif}}, progress);
    ASSERT_EQ(runner.jobs.at(0).outputs.size(), 2u);
    EXPECT_EQ(runner.jobs[0].outputs[0].path, "/out/a.jpg");
    EXPECT_EQ(runner.jobs[0].outputs[1].path, "/out/a.gif");
    ASSERT_EQ(outcome.failures.size(), 2u);
    EXPECT_EQ(outcome.failures[0].outputPath, "/out/a.gif");
    EXPECT_EQ(outcome.message,
              "Convert picture failed.\n0 of 1 picture was written.\n/p/a.png: a.gif: disk full\n/p/a.png: a.jpg was written");
}

}  // namespace
