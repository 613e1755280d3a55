#include "PageTabControl.h"

#include "PageBase.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QStyleOptionTabWidgetFrame>
#include <QStylePainter>
#include <QWheelEvent>

namespace {

// Where every page sits in the control, in pixels.
constexpr int kPageX = 10;
constexpr int kPageY = 30;

}  // namespace

PageTabControl::PageTabControl()
{
    setDrawBase(false);  // the page-area frame draws the line under the tabs
    setExpanding(false);
    // Clicks on a page's blank area pass on to this control; they must not
    // take the focus here, so only a click on the strip does (mousePressEvent).
    setFocusPolicy(Qt::TabFocus);
    connect(this, &QTabBar::currentChanged, this, &PageTabControl::OnSelChange);
}

PageTabControl::~PageTabControl()
{
    DestroyWindow();
}

bool PageTabControl::Create(const QRect& rect, QWidget* parent, unsigned int nID)
{
    m_rect = rect;
    m_nID = nID;
    m_nLastPage = -1;
    m_nCurPage = 0;
    setParent(parent);
    setObjectName(QStringLiteral("control%1").arg(nID));
    setGeometry(rect);
    show();
    return true;
}

void PageTabControl::AddPage(const QString& tabText, const std::string& pageName, PageBase& page, int templateId)
{
    auto record = std::make_unique<PageRecord>(pageName, &page);
    page.Create(templateId, this);
    {
        // Inserting the first tab selects it; the page list is not ready yet.
        const QSignalBlocker blocker(this);
        insertTab(m_nLastPage + 1, tabText);
    }
    record->m_nX = kPageX;
    record->m_nY = kPageY;
    record->m_nHeight = m_rect.height() - 10;
    record->m_nWidth = m_rect.width() - 10;
    m_pages.push_back(std::move(record));
    ++m_nLastPage;

    page.move(kPageX, kPageY);
    page.setVisible(m_nLastPage == 0);
}

bool PageTabControl::SelectPage(int index)
{
    if (m_nLastPage < 0)
        return false;
    if (index < 0 || index > m_nLastPage)
        index = 0;
    const PageRecord& old = *m_pages[static_cast<std::size_t>(m_nCurPage)];
    old.m_pPage->move(old.m_nX, old.m_nY);
    old.m_pPage->hide();
    const PageRecord& next = *m_pages[static_cast<std::size_t>(index)];
    next.m_pPage->move(next.m_nX, next.m_nY);
    next.m_pPage->show();
    next.m_pPage->raise();
    m_nCurPage = index;
    {
        const QSignalBlocker blocker(this);
        setCurrentIndex(index);
    }
    return true;
}

bool PageTabControl::StepPage(int direction)
{
    int candidate = direction == 1 ? m_nCurPage + 1 : m_nCurPage - 1;
    if (candidate < 0)
        candidate = m_nLastPage;
    if (candidate > m_nLastPage)
        candidate = 0;
    return SelectPage(candidate);
}

void PageTabControl::DestroyWindow()
{
    for (const auto& record : m_pages)
        record->m_pPage->DestroyWindow();
    PostNcDestroy();
}

QRect PageTabControl::StripRect() const
{
    const int height = count() > 0 ? tabRect(0).height() : sizeHint().height();
    return QRect(0, 0, width(), height);
}

void PageTabControl::OnSelChange(int /*index*/)
{
    SelectPage(currentIndex());
}

bool PageTabControl::PreTranslateMessage(const QKeyEvent& event)
{
    // Keys of a page's controls reach this control too when the page leaves
    // them; only the strip's own keys switch pages.
    if (!hasFocus() || !(event.modifiers() & Qt::ControlModifier))
        return false;
    if (event.key() == Qt::Key_PageUp)
        return StepPage(2);
    if (event.key() == Qt::Key_PageDown)
        return StepPage(1);
    return false;
}

void PageTabControl::PostNcDestroy()
{
    while (!m_pages.empty())
        m_pages.erase(m_pages.begin());
    m_nLastPage = -1;
    m_nCurPage = 0;
}

void PageTabControl::keyPressEvent(QKeyEvent* event)
{
    // Keys a page's control leaves (Right on a drop-down list) are not meant
    // for the strip.
    if (!hasFocus()) {
        event->ignore();
        return;
    }
    if (PreTranslateMessage(*event)) {
        event->accept();
        return;
    }
    QTabBar::keyPressEvent(event);
}

void PageTabControl::mousePressEvent(QMouseEvent* event)
{
    if (!StripRect().contains(event->position().toPoint())) {
        event->ignore();
        return;
    }
    setFocus(Qt::MouseFocusReason);
    QTabBar::mousePressEvent(event);
}

void PageTabControl::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (!StripRect().contains(event->position().toPoint())) {
        event->ignore();
        return;
    }
    QTabBar::mouseDoubleClickEvent(event);
}

void PageTabControl::wheelEvent(QWheelEvent* event)
{
    // A wheel turned over a page (its preview, list or text) reaches this
    // control when the page leaves it; only a turn over the strip switches.
    if (!StripRect().contains(event->position().toPoint())) {
        event->ignore();
        return;
    }
    QTabBar::wheelEvent(event);
}

void PageTabControl::paintEvent(QPaintEvent* event)
{
    DrawPane(QRect());
    QTabBar::paintEvent(event);
    // Some styles fill the selected tab's joint far below a tab bar's usual
    // height; only the strip belongs to the tabs.
    const QRect strip = StripRect();
    DrawPane(QRect(0, strip.bottom() + 1, width(), height()));
}

void PageTabControl::DrawPane(const QRect& clip)
{
    QStylePainter painter(this);
    if (!clip.isNull())
        painter.setClipRect(clip);
    const QRect strip = StripRect();
    const int overlap = style()->pixelMetric(QStyle::PM_TabBarBaseOverlap, nullptr, this);
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    frame.shape = shape();
    frame.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    frame.rect = QRect(0, strip.height() - overlap, width(), height() - strip.height() + overlap);
    const QRect tabs = count() > 0 ? tabRect(0).united(tabRect(count() - 1)) : QRect();
    frame.tabBarRect = tabs;
    frame.tabBarSize = tabs.size();
    if (currentIndex() >= 0)
        frame.selectedTabRect = tabRect(currentIndex());
    painter.drawPrimitive(QStyle::PE_FrameTabWidget, frame);
}
