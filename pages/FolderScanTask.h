#pragma once

#include "FolderScan.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Scans folder trees for pictures on a thread of its own, so a large tree
// never freezes the window. The folders are scanned one after the other;
// what is found waits here until the owner takes it (TakeFound), so the owner
// adds the findings in batches at its own pace.
//
// Threads: made, polled, stopped, waited for and destroyed on one thread (the
// user-interface thread). `done` is called on the scan's thread as its last
// act, after every finding is available to TakeFound.
class FolderScanTask {
public:
    FolderScanTask(std::vector<std::string> folders, std::function<void()> done = {});
    ~FolderScanTask();  // stops the scan and waits for it
    FolderScanTask(const FolderScanTask&) = delete;
    FolderScanTask& operator=(const FolderScanTask&) = delete;

    // Up to `most` of the paths found and not yet taken (in no set order).
    std::vector<std::string> TakeFound(std::size_t most = static_cast<std::size_t>(-1));

    // Ends the scan soon; what was found so far stays available.
    void RequestStop();

    // Blocks until the scan has ended; the folders' results merged (files
    // found, folders skipped with their reasons, whether it was stopped).
    FolderScanResult Wait();

private:
    std::vector<std::string> m_folders;
    std::mutex m_mutex;
    std::vector<std::string> m_found;  // guarded by m_mutex
    std::atomic<bool> m_bStop{false};
    FolderScan m_scan;
    FolderScanResult m_result;  // written by the thread, read after the join
    std::thread m_thread;
};
