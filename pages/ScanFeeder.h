#pragma once

#include "FolderScan.h"
#include "FolderScanTask.h"

#include <QObject>
#include <QTimer>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// Feeds a folder scan's findings to the user-interface thread in batches: a
// FolderScanTask runs on its own thread, and a timer hands what it found to
// `onFound`, at most `kBatch` paths at a time, every tenth of a second while
// the scan runs. When a backlog waits, the next batch follows right after the
// window's other timers (its repaint among them), so the window keeps
// painting however fast the scan finds files. `onEnded` is called once, when
// the scan has ended and every finding has been handed over.
//
// User-interface thread only; the callbacks run there. Destroying the feeder
// stops the scan and waits for its thread; so may `onEnded`, through
// deleteLater.
class ScanFeeder : public QObject {
    Q_OBJECT

public:
    using FoundHandler = std::function<void(std::vector<std::string> paths)>;

    // A batch of this size takes a few tens of milliseconds to add to a list
    // of 100,000 entries.
    static constexpr std::size_t kBatch = 10000;
    static constexpr int kIntervalMs = 100;

    ScanFeeder(std::vector<std::string> folders, FoundHandler onFound, std::function<void()> onEnded,
               QObject* parent = nullptr);
    ~ScanFeeder() override;

    // Ends the scan soon; what it found is still handed over.
    void RequestStop() { m_task.RequestStop(); }

    // Waits for the scan's thread and hands over everything left at once,
    // without `onEnded`. For a page that is closing.
    void Finish();

    // What the scan found and skipped; complete once it has ended.
    const FolderScanResult& Result() const { return m_result; }

private:
    void OnTimer();
    void OnScanEnded();
    bool HandOver(std::size_t most);

    FoundHandler m_onFound;
    std::function<void()> m_onEnded;
    QTimer m_timer;
    bool m_bScanEnded = false;
    bool m_bFinished = false;
    FolderScanResult m_result;
    FolderScanTask m_task;  // last: its thread posts to this object until it ends
};
