#include "PreviewFrame.h"

#include "CrispFrameStyle.h"

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
    // One line of whole pixels: a pen's line along the left and top edges
    // can fall outside the control at a fractional scale.
    CrispFrameStyle::PaintOnPixelGrid(painter, rect(), [](QPainter& onGrid, const QRect& frame) {
        const QRect lines[] = {
            {frame.left(), frame.top(), frame.width(), 1},
            {frame.left(), frame.bottom(), frame.width(), 1},
            {frame.left(), frame.top(), 1, frame.height()},
            {frame.right(), frame.top(), 1, frame.height()},
        };
        for (const QRect& line : lines)
            onGrid.fillRect(line, Qt::black);
    });
}

}  // namespace res
