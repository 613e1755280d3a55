#include "PreviewFrame.h"

#include <QPainter>

namespace res {

PreviewFrame::PreviewFrame(QWidget* parent)
    : QFrame(parent)
{
    setFrameShape(QFrame::NoFrame);
}

void PreviewFrame::SetPaintHandler(PaintHandler handler)
{
    m_paintHandler = std::move(handler);
    update();
}

void PreviewFrame::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    if (m_paintHandler) {
        painter.save();
        m_paintHandler(painter, rect());
        painter.restore();
    }
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace res
