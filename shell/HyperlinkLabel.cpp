#include "HyperlinkLabel.h"

#include "LaunchError.h"
#include "LaunchUrl.h"
#include "QtPrompts.h"

#include <QApplication>
#include <QCursor>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPalette>
#include <QStyle>
#include <QTimerEvent>

#include <algorithm>
#include <utility>

namespace {

// How often a hovered label checks whether the pointer has left it: leaving
// sends the label no movement, so the end of a hover is found by looking.
constexpr int kHoverCheckMs = 100;

} // namespace

HyperlinkLabel::HyperlinkLabel(QWidget* parent)
    : QLabel(parent)
    , m_launch([](const std::string& url, int showCommand) { return LaunchUrl(url, showCommand); })
{
    // The text is an address or a caption, never markup to interpret.
    setTextFormat(Qt::PlainText);
    setAutoFillBackground(false);
    setMouseTracking(true);
    ApplyTextColour();
}

HyperlinkLabel::~HyperlinkLabel()
{
    if (m_nTimerId != 0)
        killTimer(m_nTimerId);
}

HyperlinkLabel* HyperlinkLabel::SubclassLabel(QLabel& control)
{
    QWidget* parent = control.parentWidget();
    if (!parent)
        return nullptr;
    auto* link = new HyperlinkLabel(parent);
    link->setObjectName(control.objectName());
    link->setGeometry(control.geometry());
    link->setFont(control.font());
    link->setAlignment(control.alignment());
    link->setFrameStyle(control.frameStyle());
    link->setLineWidth(control.lineWidth());
    link->setContentsMargins(control.contentsMargins());
    link->setMargin(control.margin());
    link->setIndent(control.indent());
    link->setText(control.text());
    link->stackUnder(&control);
    link->setVisible(!control.isHidden());
    control.hide();
    link->PreSubclassWindow();
    return link;
}

void HyperlinkLabel::PreSubclassWindow()
{
    if (m_strUrl.empty())
        m_strUrl = text().toStdString();
    if (text().isEmpty())
        setText(QString::fromStdString(m_strUrl));
    m_fontPlain = font();
    m_fontUnderline = font();
    m_fontUnderline.setUnderline(true);
    m_bAttached = true;
    FitToText();
    setCursor(Qt::PointingHandCursor);
    // A mode chosen before attaching is kept; the default -1 keeps the font
    // the dialog gave the control.
    setFont(m_nUnderlineMode == 1 ? m_fontUnderline : m_fontPlain);
    setToolTip(QString::fromStdString(m_strUrl));
    ApplyTextColour();
}

void HyperlinkLabel::SetLinkUrl(const std::string& url)
{
    m_strUrl = url;
    if (!m_bAttached)
        return;
    FitToText();
    setToolTip(QString::fromStdString(m_strUrl));
}

void HyperlinkLabel::SetVisitedState(bool visited)
{
    m_bVisited = visited;
    if (!m_bAttached)
        return;
    ApplyTextColour();
    update();
}

void HyperlinkLabel::SetUnderlineMode(int mode)
{
    if (mode == m_nUnderlineMode)
        return;
    if (m_bAttached) {
        setFont(mode == 1 ? m_fontUnderline : m_fontPlain);
        update();
    }
    m_nUnderlineMode = mode;
}

void HyperlinkLabel::FitToText()
{
    if (!m_bAttached || !m_bFitToText)
        return;
    // The frame, the margins and the indent stay as they are; only the text
    // part is fitted.
    const QRect window = geometry();
    const QRect client = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    const QFontMetrics metrics(m_fontUnderline);
    const QSize extent = metrics.size(0, text());
    // QLabel indents the text from each edge it is aligned to, by default
    // half an "x" when it has a frame.
    int indentation = indent();
    if (indentation < 0)
        indentation = frameWidth() > 0 ? metrics.horizontalAdvance(QLatin1Char('x')) / 2 - margin() : 0;
    indentation = std::max(indentation, 0);
    const Qt::Alignment align = QStyle::visualAlignment(layoutDirection(), alignment());
    const int indentX = indentation * (((align & Qt::AlignLeft) ? 1 : 0) + ((align & Qt::AlignRight) ? 1 : 0));
    const int indentY = indentation * (((align & Qt::AlignTop) ? 1 : 0) + ((align & Qt::AlignBottom) ? 1 : 0));
    const int width = extent.width() + indentX + (window.width() - client.width());
    const int height = extent.height() + indentY + (window.height() - client.height());

    int x = window.x();
    int y = window.y();
    int cx = window.width();
    int cy = window.height();
    if (alignment() & Qt::AlignVCenter) {
        const int shift = (cy - height) / 2; // truncates toward zero
        y += shift;
        cy -= 2 * shift;
    } else {
        cy = height;
    }
    if (alignment() & Qt::AlignHCenter) {
        const int shift = (cx - width) / 2;
        x += shift;
        cx -= 2 * shift;
    } else if (alignment() & Qt::AlignRight) {
        x += cx - width;
        cx = width;
    } else {
        cx = width;
    }
    setGeometry(x, y, cx, cy);
}

QColor HyperlinkLabel::CtlColor() const
{
    if (m_bHover)
        return m_crHover;
    return m_bVisited ? m_crVisited : m_crLink;
}

void HyperlinkLabel::SetLauncher(UrlLauncher launcher)
{
    m_launch = std::move(launcher);
}

void HyperlinkLabel::SetPrompts(IPrompts* prompts)
{
    m_prompts = prompts;
}

void HyperlinkLabel::OnLinkClicked()
{
    m_bHover = false;
    const int result = m_launch ? m_launch(m_strUrl, SW_SHOW) : 2;
    // A failed click also clears an earlier success.
    m_bVisited = result > 32;
    if (m_bVisited) {
        SetVisitedState(true);
        return;
    }
    ApplyTextColour();
    update();
    QApplication::beep();
    ShowLaunchError(result);
}

void HyperlinkLabel::ShowLaunchError(int code)
{
    const std::string text = LaunchErrorText(code);
    if (m_prompts) {
        m_prompts->ShowMessage(this, text, MessageIcon::Warning);
        return;
    }
    QtPrompts prompts;
    prompts.ShowMessage(this, text, MessageIcon::Warning);
}

void HyperlinkLabel::mouseMoveEvent(QMouseEvent* event)
{
    if (m_bAttached)
        OnMouseMove();
    QLabel::mouseMoveEvent(event);
}

void HyperlinkLabel::mousePressEvent(QMouseEvent* event)
{
    if (m_bAttached && event->button() == Qt::LeftButton) {
        m_bPressed = true;
        event->accept();
        return;
    }
    QLabel::mousePressEvent(event);
}

void HyperlinkLabel::mouseReleaseEvent(QMouseEvent* event)
{
    // A click is a press and a release of the left button on the label.
    const bool clicked = m_bPressed && event->button() == Qt::LeftButton
                         && rect().contains(event->position().toPoint());
    if (event->button() == Qt::LeftButton)
        m_bPressed = false;
    if (clicked) {
        event->accept();
        OnLinkClicked();
        return;
    }
    QLabel::mouseReleaseEvent(event);
}

void HyperlinkLabel::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_nTimerId) {
        OnTimer();
        return;
    }
    QLabel::timerEvent(event);
}

void HyperlinkLabel::OnMouseMove()
{
    if (m_bHover)
        return;
    m_bHover = true;
    if (m_nUnderlineMode == -1)
        setFont(m_fontUnderline);
    ApplyTextColour();
    update();
    // A click leaves the timer running; one timer is enough.
    if (m_nTimerId != 0)
        killTimer(m_nTimerId);
    m_nTimerId = startTimer(kHoverCheckMs);
}

void HyperlinkLabel::OnTimer()
{
    if (rect().contains(mapFromGlobal(QCursor::pos())))
        return;
    m_bHover = false;
    killTimer(m_nTimerId);
    m_nTimerId = 0;
    if (m_nUnderlineMode != 1)
        setFont(m_fontPlain);
    ApplyTextColour();
    update();
}

void HyperlinkLabel::ApplyTextColour()
{
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, CtlColor());
    setPalette(colours);
}
