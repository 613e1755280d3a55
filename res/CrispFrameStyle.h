#pragma once

#include <QProxyStyle>

#include <functional>

class QPainter;

namespace res {

// A style that draws like `baseKey`'s but keeps frame lines whole at a
// fractional scale (1.25, 1.5 ...). There a control can begin inside a screen
// pixel, and a one-pixel line along its left or top edge then falls on the
// pixel the control does not own and is lost; the frames of lists and text
// boxes are drawn on the screen's pixel grid instead. At whole scales it
// draws exactly as its base style.
class CrispFrameStyle : public QProxyStyle {
public:
    explicit CrispFrameStyle(const QString& baseKey);

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;

    // Runs `draw` for `rect` (in the painter's coordinates). At a fractional
    // scale the painter then works in screen pixels and `draw` gets the
    // pixels Qt gives `rect` (each edge rounded to the nearest pixel
    // boundary); otherwise it gets `rect` as it is.
    static void PaintOnPixelGrid(QPainter& painter, const QRect& rect,
                                 const std::function<void(QPainter&, const QRect&)>& draw);
};

}  // namespace res
