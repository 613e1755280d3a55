#pragma once

#include <QFrame>

#include <functional>

class QPainter;

namespace res {

// The black-framed static of the page templates (control 1002). The pages
// draw their preview through a paint handler; the frame line is drawn over
// whatever the handler painted, as the static paints itself after its page.
class PreviewFrame : public QFrame {
    Q_OBJECT

public:
    // Paints the preview. `clientRect` is the whole control, frame included,
    // in the control's own pixels, with (0, 0) at its top left.
    using PaintHandler = std::function<void(QPainter& painter, const QRect& clientRect)>;

    explicit PreviewFrame(QWidget* parent = nullptr);

    // Replaces the handler; an empty one paints nothing but the frame.
    // Repaints at once.
    void SetPaintHandler(PaintHandler handler);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    PaintHandler m_paintHandler;
};

}  // namespace res
