#include "ScanFeeder.h"

#include <QMetaObject>

#include <utility>

ScanFeeder::ScanFeeder(std::vector<std::string> folders, FoundHandler onFound, std::function<void()> onEnded,
                       QObject* parent)
    : QObject(parent)
    , m_onFound(std::move(onFound))
    , m_onEnded(std::move(onEnded))
    // Called on the scan's thread; the news is handled on this object's.
    , m_task(std::move(folders),
             [this] { QMetaObject::invokeMethod(this, [this] { OnScanEnded(); }, Qt::QueuedConnection); })
{
    connect(&m_timer, &QTimer::timeout, this, &ScanFeeder::OnTimer);
    m_timer.start(kIntervalMs);
}

ScanFeeder::~ScanFeeder() = default;

void ScanFeeder::Finish()
{
    m_timer.stop();
    m_bFinished = true;
    m_result = m_task.Wait();
    HandOver(static_cast<std::size_t>(-1));
}

void ScanFeeder::OnScanEnded()
{
    if (m_bFinished)
        return;
    m_bScanEnded = true;
    m_result = m_task.Wait();
    OnTimer();
}

void ScanFeeder::OnTimer()
{
    if (m_bFinished)
        return;
    if (HandOver(kBatch)) {
        // A posted call or a zero timer would run before the repaint's timer.
        m_timer.start(1);
        return;
    }
    if (m_bScanEnded) {
        m_timer.stop();
        m_bFinished = true;
        m_onEnded();  // may destroy this object: nothing may follow
        return;
    }
    if (m_timer.interval() != kIntervalMs)
        m_timer.start(kIntervalMs);
}

bool ScanFeeder::HandOver(std::size_t most)
{
    std::vector<std::string> found = m_task.TakeFound(most);
    if (found.empty())
        return false;
    const bool full = found.size() == most;
    m_onFound(std::move(found));
    return full;
}
