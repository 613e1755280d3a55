#include "FolderScanTask.h"

#include <iterator>
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

std::vector<std::string> FolderScanTask::TakeFound(std::size_t most)
{
    std::vector<std::string> found;
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (m_found.size() <= most) {
        found.swap(m_found);
        return found;
    }
    // From the back, so what stays need not move.
    const auto first = m_found.end() - static_cast<std::ptrdiff_t>(most);
    found.assign(std::make_move_iterator(first), std::make_move_iterator(m_found.end()));
    m_found.erase(first, m_found.end());
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
