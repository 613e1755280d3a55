#include "CrispFrameStyle.h"

#include <QPainter>
#include <QStyleOption>

namespace res {
namespace {

bool IsWhole(qreal value)
{
    return qFuzzyCompare(value + 1.0, qRound(value) + 1.0);
}

}  // namespace

CrispFrameStyle::CrispFrameStyle(const QString& baseKey)
    : QProxyStyle(baseKey)
{
}

void CrispFrameStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                    const QWidget* widget) const
{
    const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(option);
    if (element != PE_Frame || !frame || !painter) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    PaintOnPixelGrid(*painter, option->rect, [&](QPainter& onGrid, const QRect& rect) {
        QStyleOptionFrame copy(*frame);
        copy.rect = rect;
        QProxyStyle::drawPrimitive(element, &copy, &onGrid, widget);
    });
}

void CrispFrameStyle::PaintOnPixelGrid(QPainter& painter, const QRect& rect,
                                       const std::function<void(QPainter&, const QRect&)>& draw)
{
    const QTransform device = painter.deviceTransform();
    const bool onGrid = IsWhole(device.m11()) && IsWhole(device.m22()) && IsWhole(device.dx()) && IsWhole(device.dy());
    if (onGrid || device.type() > QTransform::TxScale) {
        draw(painter, rect);
        return;
    }
    // The pixels Qt gives the rectangle: each edge rounded to the nearest
    // pixel boundary, as it rounds a control's clip and its children's.
    const QRectF screen = device.mapRect(QRectF(rect));
    const QRect pixels(QPoint(qRound(screen.left()), qRound(screen.top())),
                       QPoint(qRound(screen.right()) - 1, qRound(screen.bottom()) - 1));
    painter.save();
    painter.setWorldTransform(device.inverted() * painter.worldTransform());
    draw(painter, pixels);
    painter.restore();
}

}  // namespace res
