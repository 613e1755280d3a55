#pragma once

#include <QEventLoop>
#include <QFutureWatcher>
#include <QMetaObject>
#include <QPointer>
#include <QtConcurrent>

#include <atomic>
#include <functional>
#include <memory>
#include <utility>

class QThreadPool;

// The pool every page job runs on. Page jobs mostly wait for worker
// processes, so it has more threads than cores: a preview never queues
// behind two conversions, as it would in Qt's global pool.
QThreadPool& PageJobPool();

// What long work sees of its job, on the pool thread that runs it.
class JobControl {
public:
    // True once the owner asked the work to stop; the work then ends soon,
    // with the result of what it did so far.
    bool StopRequested() const { return m_pStop->load(); }

    // Runs `news` (progress, findings) on the owner's thread, in the order
    // posted, before the owner hears of the work's end. Dropped when the job
    // is destroyed first.
    void Post(std::function<void()> news) const
    {
        QMetaObject::invokeMethod(m_pReceiver, std::move(news), Qt::QueuedConnection);
    }

private:
    template <typename Result>
    friend class BackgroundJob;
    JobControl(QObject* receiver, std::shared_ptr<std::atomic<bool>> stop)
        : m_pReceiver(receiver)
        , m_pStop(std::move(stop))
    {
    }

    QObject* m_pReceiver;  // outlives the work: the job waits for it
    std::shared_ptr<std::atomic<bool>> m_pStop;
};

// One piece of long work of a page at a time, run with QtConcurrent::run on
// PageJobPool() and watched with a QFutureWatcher, so the page's thread never
// waits for it. The work posts progress through its JobControl, sees a stop
// there, and returns its result, which reaches `done` on the owner's thread
// after every progress it posted (`done` may start the next work, but must not
// destroy the job). Work that throws ends with Result{}.
//
// Threads: made, started, stopped, waited for and destroyed on one thread
// (the user-interface thread); `done`, `onStop` and the posted news run there.
// Destroying a running job stops it and waits for the work without running
// events, so a page that is going is never called back; WaitForEnd is the
// wait that keeps the window painting.
template <typename Result>
class BackgroundJob {
public:
    using Work = std::function<Result(const JobControl& control)>;
    using Done = std::function<void(Result result)>;

    BackgroundJob()
    {
        QObject::connect(&m_watcher, &QFutureWatcherBase::finished, &m_watcher, [this] { OnFinished(); });
    }

    ~BackgroundJob()
    {
        RequestStop();
        m_watcher.disconnect();
        m_watcher.waitForFinished();
    }

    BackgroundJob(const BackgroundJob&) = delete;
    BackgroundJob& operator=(const BackgroundJob&) = delete;

    // Starts `work` unless a job is running (then false). `onStop`, if
    // given, is called by RequestStop while the work runs, for work that
    // blocks in something with a stop of its own.
    bool Start(Work work, Done done, std::function<void()> onStop = {})
    {
        if (m_bRunning)
            return false;
        m_bRunning = true;
        m_done = std::move(done);
        m_onStop = std::move(onStop);
        m_pStop = std::make_shared<std::atomic<bool>>(false);
        const JobControl control(&m_watcher, m_pStop);
        m_watcher.setFuture(QtConcurrent::run(&PageJobPool(), [work = std::move(work), control]() -> Result {
            try {
                return work(control);
            } catch (...) {
                return Result{};
            }
        }));
        return true;
    }

    // The work ends soon; its result still comes to `done`.
    void RequestStop()
    {
        if (!m_bRunning || m_pStop->exchange(true))
            return;
        if (m_onStop)
            m_onStop();
    }

    // From Start until `done` has been called.
    bool IsRunning() const { return m_bRunning; }

    // Runs the event loop until no work runs (also work that `done` started).
    void WaitForEnd()
    {
        while (m_bRunning) {
            QEventLoop loop;
            m_pWaitLoop = &loop;
            loop.exec();
            m_pWaitLoop = nullptr;
        }
    }

private:
    void OnFinished()
    {
        m_bRunning = false;
        m_onStop = nullptr;
        const Done done = std::exchange(m_done, nullptr);
        if (done)
            done(m_watcher.result());
        if (m_pWaitLoop)
            m_pWaitLoop->quit();
    }

    QFutureWatcher<Result> m_watcher;
    std::shared_ptr<std::atomic<bool>> m_pStop;
    bool m_bRunning = false;
    Done m_done;
    std::function<void()> m_onStop;
    QEventLoop* m_pWaitLoop = nullptr;
};
