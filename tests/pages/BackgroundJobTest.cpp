// The pages' one way to run long work: progress in order before the result,
// both on the owner's thread, stop, waiting with events, and destruction.
#include "BackgroundJob.h"

#include "WaitUntil.h"

#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

TEST(BackgroundJobTest, ProgressComesInOrderBeforeTheResultBothOnTheOwnersThread)
{
    BackgroundJob<int> job;
    std::vector<int> heard;
    std::thread::id workThread;
    bool doneOnOwner = false;
    ASSERT_TRUE(job.Start(
        [&](const JobControl& control) {
            workThread = std::this_thread::get_id();
            for (int i = 0; i < 100; ++i)
                control.Post([&heard, i] { heard.push_back(i); });
            return 42;
        },
        [&](int result) {
            heard.push_back(result);
            doneOnOwner = QThread::currentThread() == QCoreApplication::instance()->thread();
        }));
    EXPECT_FALSE(job.Start([](const JobControl&) { return 0; }, {}));  // one at a time
    ASSERT_TRUE(WaitUntil([&] { return !job.IsRunning(); }));
    ASSERT_EQ(heard.size(), 101u);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(heard[static_cast<std::size_t>(i)], i);
    EXPECT_EQ(heard.back(), 42);
    EXPECT_NE(workThread, std::this_thread::get_id());
    EXPECT_TRUE(doneOnOwner);
}

TEST(BackgroundJobTest, StopReachesTheWorkAndItsOwnStopAndTheResultStillComes)
{
    BackgroundJob<int> job;
    std::atomic<bool> ownStop{false};
    int result = -1;
    int ticks = 0;
    job.Start(
        [&](const JobControl& control) {
            int rounds = 0;
            for (; !control.StopRequested() || !ownStop; ++rounds)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            return rounds;
        },
        [&](int value) { result = value; }, [&] { ownStop = true; });
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(1);
    QTimer::singleShot(30, [&] { job.RequestStop(); });
    job.WaitForEnd();  // the window keeps running its events meanwhile
    EXPECT_FALSE(job.IsRunning());
    EXPECT_GT(result, 0);
    EXPECT_GT(ticks, 5);
}

TEST(BackgroundJobTest, DestroyingARunningJobStopsItWaitsAndCallsNothingBack)
{
    std::atomic<bool> ended{false};
    bool calledBack = false;
    {
        BackgroundJob<int> job;
        job.Start(
            [&](const JobControl& control) {
                while (!control.StopRequested())
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                control.Post([&] { calledBack = true; });
                ended = true;
                return 1;
            },
            [&](int) { calledBack = true; });
    }
    EXPECT_TRUE(ended);
    QCoreApplication::processEvents();
    EXPECT_FALSE(calledBack);
}

TEST(BackgroundJobTest, WorkThatThrowsEndsWithADefaultResult)
{
    BackgroundJob<std::vector<int>> job;
    std::vector<int> result{7};
    job.Start([](const JobControl&) -> std::vector<int> { throw std::runtime_error("out of memory"); },
              [&](std::vector<int> value) { result = std::move(value); });
    job.WaitForEnd();
    EXPECT_TRUE(result.empty());
}

}  // namespace
