#pragma once

#include "PageRecord.h"

#include <QRect>
#include <QTabBar>

#include <memory>
#include <string>
#include <vector>

class PageBase;
class QKeyEvent;
class QMouseEvent;
class QWheelEvent;

// The main dialog's tab strip with the pages under it. It draws the tabs and
// a frame around the page area and shows exactly one page at a time. Only
// the strip itself switches pages: a tab click, the wheel over the strip, and
// the arrow keys and Ctrl+PageUp / Ctrl+PageDown while the strip has the
// keyboard focus (a click on the strip gives it the focus). What a page
// leaves (keys, wheel turns, clicks on its blank area) passes on unused. The pages are its child widgets but
// belong to the main dialog; the control owns one PageRecord per page.
class PageTabControl : public QTabBar {
    Q_OBJECT

public:
    PageTabControl();
    ~PageTabControl() override;

    // Takes `rect` (in the parent's coordinates) and the control id, and
    // shows the control there as a child of `parent`, with no pages yet.
    bool Create(const QRect& rect, QWidget* parent, unsigned int nID);

    // Creates `page` from template `templateId` as a child of this control,
    // adds its tab after the last one and places it at (10, 30); the first
    // page added is shown, the others hidden. The page keeps its own size.
    void AddPage(const QString& tabText, const std::string& pageName, PageBase& page, int templateId);

    // Hides the page on show and shows page `index` (0 when out of range) and
    // selects its tab. False only when there is no page.
    bool SelectPage(int index);

    // 1: the next page, anything else: the previous one, wrapping around.
    bool StepPage(int direction);

    // The control goes: every page's destroy handling runs (once, while its
    // controls exist), the pages are detached so they are never deleted
    // here, and the records are freed. Later calls do nothing.
    void DestroyWindow();

    const QRect& Rect() const { return m_rect; }
    unsigned int ControlId() const { return m_nID; }
    int LastPage() const { return m_nLastPage; }
    int CurPage() const { return m_nCurPage; }
    const PageRecord& Record(int index) const { return *m_pages.at(static_cast<std::size_t>(index)); }

    // The strip of tabs across the top, in this control's coordinates.
    QRect StripRect() const;

protected:
    void OnSelChange(int index);
    // Ctrl+PageUp / Ctrl+PageDown while the strip itself has the focus;
    // true when the key was used.
    bool PreTranslateMessage(const QKeyEvent& event);
    void PostNcDestroy();

    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // The frame around the page area, limited to `clip` unless it is null.
    void DrawPane(const QRect& clip);

    QRect m_rect;
    unsigned int m_nID = 0;
    int m_nLastPage = -1;
    int m_nCurPage = 0;
    std::vector<std::unique_ptr<PageRecord>> m_pages;
};
