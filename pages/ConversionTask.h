#pragma once

#include "ConversionJob.h"

#include <functional>
#include <thread>

// One conversion job run on a thread of its own, so the window keeps painting
// while the workers convert. Made, waited for and destroyed on one thread
// (the user-interface thread); `done` is called on the task's own thread as
// its last act, after the result is in place. `progress` hears how many
// outputs are handled, on the runner's threads, before `done`.
class ConversionTask {
public:
    ConversionTask(IJobRunner& runner, ConversionJob job, std::function<void()> done = {},
                   OutputProgress progress = {});
    ~ConversionTask();  // waits for the job
    ConversionTask(const ConversionTask&) = delete;
    ConversionTask& operator=(const ConversionTask&) = delete;

    const ConversionJob& Job() const { return m_job; }

    // Blocks until the job has ended and hands over its result (only once).
    ConversionResult Wait();

private:
    ConversionJob m_job;
    ConversionResult m_result;
    std::thread m_thread;
};
