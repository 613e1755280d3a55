#include "FolderScanTask.h"

#include <utility>

FolderScanTask::FolderScanTask(std::vector<std::string> folders, std::function<void()> done)
    : m_folders(std::move(folders))
    , m_scan([this](const std::string& path) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_found.push_back(path);
    })
{
    m_thread = std::thread([this, done = std::move(done)] {
        for (const std::string& folder : m_folders) {
            if (m_bStop.load()) {
                m_result.stopped = true;
                break;
            }
            FolderScanResult one = m_scan.Run(folder);
            m_result.filesFound += one.filesFound;
            for (std::string& skipped : one.skippedFolders)
                m_result.skippedFolders.push_back(std::move(skipped));
            m_result.stopped = m_result.stopped || one.stopped;
        }
        if (done)
            done();
    });
}

FolderScanTask::~FolderScanTask()
{
    RequestStop();
    if (m_thread.joinable())
        m_thread.join();
}

std::vector<std::string> FolderScanTask::TakeFound()
{
    std::vector<std::string> found;
    const std::lock_guard<std::mutex> lock(m_mutex);
    found.swap(m_found);
    return found;
}

void FolderScanTask::RequestStop()
{
    m_bStop.store(true);
    m_scan.RequestStop();
}

FolderScanResult FolderScanTask::Wait()
{
    if (m_thread.joinable())
        m_thread.join();
    return m_result;
}
