#include "ConversionTask.h"

#include <exception>
#include <utility>

ConversionTask::ConversionTask(IJobRunner& runner, ConversionJob job, std::function<void()> done,
                               OutputProgress progress)
    : m_job(std::move(job))
{
    m_thread = std::thread([this, &runner, done = std::move(done), progress = std::move(progress)] {
        try {
            m_result = runner.RunWithProgress(m_job, progress);
        } catch (const std::exception& e) {
            m_result = FailedConversionResult(m_job, std::string("the conversion stopped: ") + e.what());
        } catch (...) {
            m_result = FailedConversionResult(m_job, "the conversion stopped");
        }
        if (done)
            done();
    });
}

ConversionTask::~ConversionTask()
{
    if (m_thread.joinable())
        m_thread.join();
}

ConversionResult ConversionTask::Wait()
{
    if (m_thread.joinable())
        m_thread.join();
    return std::move(m_result);
}
