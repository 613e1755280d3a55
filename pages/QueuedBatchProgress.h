#pragma once

#include "BatchRun.h"

#include <cstdint>
#include <functional>

class QObject;

// Hands a batch run's progress calls, made on the run's threads, to the
// user-interface thread: each call is queued to `receiver` and runs there in
// the order it was made, so a handler queued after the last progress call
// (the run's end) sees the bar already at its final position. Calls queued to
// a receiver that is gone are dropped.
//
// The object must outlive every run that reports to it.
class QueuedBatchProgress final : public IBatchProgress {
public:
    using RangeHandler = std::function<void(std::int64_t lower, std::int64_t upper)>;
    using PositionHandler = std::function<void(std::int64_t position)>;

    QueuedBatchProgress(QObject& receiver, RangeHandler onRange, PositionHandler onPosition);

    void SetRange(std::int64_t lower, std::int64_t upper) override;
    // A progress bar's step only serves stepping, which the run never does.
    void SetPosition(std::int64_t position) override;

private:
    QObject& m_receiver;
    RangeHandler m_onRange;
    PositionHandler m_onPosition;
};
