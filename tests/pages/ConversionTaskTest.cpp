#include "ConversionTask.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace {

ConversionJob TwoOutputs()
{
    return ConversionJob{"/in/a.png", 4, {{"/out/a.bmp", 1}, {"/out/a.gif", 2}}};
}

// Blocks every Run until Release(), and records the thread it ran on.
class GateRunner : public IJobRunner {
public:
    ConversionResult Run(const ConversionJob& job) override
    {
        m_ranOn = std::this_thread::get_id();
        std::unique_lock<std::mutex> lock(m_mutex);
        m_open.wait(lock, [this] { return m_bOpen; });
        ConversionResult result;
        result.decoded = true;
        for (const OutputRequest& o : job.outputs)
            result.outputs.push_back({o.path, o.typeCode, true, ""});
        return result;
    }
    void Release()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bOpen = true;
        m_open.notify_all();
    }
    std::thread::id m_ranOn;

private:
    std::mutex m_mutex;
    std::condition_variable m_open;
    bool m_bOpen = false;
};

class ThrowingRunner : public IJobRunner {
public:
    ConversionResult Run(const ConversionJob& /*job*/) override { throw std::runtime_error("out of memory"); }
};

TEST(ConversionTaskTest, RunsOffTheCallingThreadAndHandsTheResultOverOnce)
{
    GateRunner runner;
    std::atomic<int> doneCalls{0};
    ConversionTask task(runner, TwoOutputs(), [&] { ++doneCalls; });
    EXPECT_EQ(task.Job().outputs.size(), 2u);
    EXPECT_EQ(doneCalls, 0);
    runner.Release();
    const ConversionResult result = task.Wait();
    EXPECT_NE(runner.m_ranOn, std::this_thread::get_id());
    EXPECT_EQ(doneCalls, 1);
    ASSERT_EQ(result.outputs.size(), 2u);
    EXPECT_TRUE(result.outputs[1].written);
    EXPECT_TRUE(task.Wait().outputs.empty());
}

TEST(ConversionTaskTest, DestroyingWaitsForTheJob)
{
    GateRunner runner;
    std::atomic<bool> done{false};
    std::thread release;
    {
        ConversionTask task(runner, TwoOutputs(), [&] { done = true; });
        release = std::thread([&] { runner.Release(); });
    }
    EXPECT_TRUE(done);
    release.join();
}

TEST(ConversionTaskTest, RunnerThatThrowsGivesAFailedOutputPerRequest)
{
    ThrowingRunner runner;
    ConversionTask task(runner, TwoOutputs());
    const ConversionResult result = task.Wait();
    EXPECT_FALSE(result.decoded);
    ASSERT_EQ(result.outputs.size(), 2u);
    for (const OutputResult& output : result.outputs) {
        EXPECT_FALSE(output.written);
        EXPECT_NE(output.reason.find("out of memory"), std::string::npos);
    }
    EXPECT_EQ(result.outputs[0].path, "/out/a.bmp");
}

}  // namespace
