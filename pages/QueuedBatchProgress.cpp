#include "QueuedBatchProgress.h"

#include <QMetaObject>
#include <QObject>

#include <utility>

QueuedBatchProgress::QueuedBatchProgress(QObject& receiver, RangeHandler onRange, PositionHandler onPosition)
    : m_receiver(receiver)
    , m_onRange(std::move(onRange))
    , m_onPosition(std::move(onPosition))
{
}

void QueuedBatchProgress::SetRange(std::int64_t lower, std::int64_t upper)
{
    QMetaObject::invokeMethod(
        &m_receiver, [this, lower, upper] { m_onRange(lower, upper); }, Qt::QueuedConnection);
}

void QueuedBatchProgress::SetPosition(std::int64_t position)
{
    QMetaObject::invokeMethod(
        &m_receiver, [this, position] { m_onPosition(position); }, Qt::QueuedConnection);
}
