#pragma once

// Bounded polling for widget tests: processes events until `condition`
// holds or `timeoutMs` has passed. Never a fixed sleep.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

#include <functional>

inline bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 5000)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        // Sleep in the event loop until something happens or 10 ms pass, so
        // a wait does not spin a core the code under test needs.
        QEventLoop loop;
        QTimer::singleShot(10, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}
