#include "PageTabControl.h"

#include "PageBase.h"

#include "DialogUnits.h"
#include "ResourceIds.h"

#include "QtPrinters.h"
#include "WaitUntil.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <climits>
#include <memory>

namespace {

// A page that counts its destroy handling and reads a control there.
class CountingPage : public PageBase {
public:
    int destroyCalls = 0;
    bool controlsAtDestroy = false;

protected:
    void OnDestroy() override
    {
        ++destroyCalls;
        controlsAtDestroy = GetDlgItem(res::IDC_PREVIEW) != nullptr;
    }
};

class PageTabControlTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_host.resize(640, 480);
        m_tabs = std::make_unique<PageTabControl>();
        m_tabs->Create(QRect(5, 5, 630, 470), &m_host, res::IDC_TABCONTROL);
        m_tabs->AddPage(QStringLiteral("Single"), "&Page1", m_pages[0], res::IDD_SINGLE);
        m_tabs->AddPage(QStringLiteral("Batch"), "&Page2", m_pages[1], res::IDD_BATCH);
        m_tabs->AddPage(QStringLiteral("About"), "&Page3", m_pages[2], res::IDD_ABOUT);
        m_host.show();
        ASSERT_TRUE(WaitUntil([&] { return m_pages[0].isVisible(); }));
    }

    // Exactly one page visible, the current one, at (10, 30), under its tab.
    void ExpectShowing(int index)
    {
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(m_pages[i].isVisible(), i == index) << "page " << i;
            EXPECT_EQ(m_pages[i].pos(), QPoint(10, 30)) << "page " << i;
        }
        EXPECT_EQ(m_tabs->CurPage(), index);
        EXPECT_EQ(m_tabs->currentIndex(), index);
    }

    // Sends a key to `target` the way the window system does: to the focus
    // widget, passed on to its parents while ignored. True when someone used it.
    static bool PressKey(QWidget* target, int key, Qt::KeyboardModifiers modifiers)
    {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(target, &press);
        return press.isAccepted();
    }

    void FocusStrip()
    {
        m_host.activateWindow();
        m_tabs->setFocus();
        ASSERT_TRUE(WaitUntil([&] { return m_tabs->hasFocus(); }));
    }

    CountingPage m_pages[3];
    QDialog m_host;
    std::unique_ptr<PageTabControl> m_tabs;
};

TEST_F(PageTabControlTest, AddsPagesInTabOrderShowingOnlyTheFirst)
{
    EXPECT_EQ(m_tabs->count(), 3);
    EXPECT_EQ(m_tabs->tabText(0), QStringLiteral("Single"));
    EXPECT_EQ(m_tabs->tabText(1), QStringLiteral("Batch"));
    EXPECT_EQ(m_tabs->tabText(2), QStringLiteral("About"));
    EXPECT_EQ(m_tabs->LastPage(), 2);
    EXPECT_EQ(m_tabs->ControlId(), 2000u);
    EXPECT_EQ(m_tabs->geometry(), QRect(5, 5, 630, 470));
    ExpectShowing(0);
    for (int i = 0; i < 3; ++i) {
        const PageRecord& record = m_tabs->Record(i);
        EXPECT_EQ(record.m_pPage, &m_pages[i]);
        EXPECT_EQ(record.m_strName, "&Page" + std::to_string(i + 1));
        EXPECT_EQ(QRect(record.m_nX, record.m_nY, record.m_nWidth, record.m_nHeight), QRect(10, 30, 620, 460));
        EXPECT_EQ(m_pages[i].parentWidget(), m_tabs.get());
        // Pages keep their template size, whatever the control's.
        EXPECT_NE(m_pages[i].size(), QSize(620, 460));
    }
    // The pages sit below the strip.
    EXPECT_LE(m_tabs->StripRect().bottom(), 30);
}

class SelectOutOfRange : public PageTabControlTest, public testing::WithParamInterface<int> {};

TEST_P(SelectOutOfRange, ShowsTheFirstPage)
{
    m_tabs->SelectPage(1);
    EXPECT_TRUE(m_tabs->SelectPage(GetParam()));
    ExpectShowing(0);
}

INSTANTIATE_TEST_SUITE_P(Indexes, SelectOutOfRange, testing::Values(3, -1, 100, INT_MIN, INT_MAX));

TEST_F(PageTabControlTest, EverySwitchShowsExactlyOnePageUnderItsTab)
{
    for (int index : {1, 2, 2, 0, 2, 1, 0, 0}) {
        SCOPED_TRACE(index);
        EXPECT_TRUE(m_tabs->SelectPage(index));
        ExpectShowing(index);
    }
}

TEST_F(PageTabControlTest, StepPageWrapsAround)
{
    EXPECT_TRUE(m_tabs->StepPage(2));
    ExpectShowing(2);
    EXPECT_TRUE(m_tabs->StepPage(1));
    ExpectShowing(0);
    EXPECT_TRUE(m_tabs->StepPage(1));
    ExpectShowing(1);
    EXPECT_TRUE(m_tabs->StepPage(-5));  // anything but 1 goes back
    ExpectShowing(0);
}

TEST_F(PageTabControlTest, ClickingATabShowsItsPage)
{
    const QPoint at = m_tabs->tabRect(2).center();
    QMouseEvent press(QEvent::MouseButtonPress, at, m_tabs->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(m_tabs.get(), &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, m_tabs->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(m_tabs.get(), &release);
    ExpectShowing(2);
}

struct Step {
    int from;
    int key;
    int to;
};

class CtrlPageKeys : public PageTabControlTest, public testing::WithParamInterface<Step> {};

TEST_P(CtrlPageKeys, StepFromTheStripWithWrapAround)
{
    const Step step = GetParam();
    m_tabs->SelectPage(step.from);
    FocusStrip();
    EXPECT_TRUE(PressKey(m_tabs.get(), step.key, Qt::ControlModifier));
    ExpectShowing(step.to);
}

INSTANTIATE_TEST_SUITE_P(EveryPage, CtrlPageKeys,
                         testing::Values(Step{0, Qt::Key_PageDown, 1}, Step{1, Qt::Key_PageDown, 2},
                                         Step{2, Qt::Key_PageDown, 0}, Step{0, Qt::Key_PageUp, 2},
                                         Step{1, Qt::Key_PageUp, 0}, Step{2, Qt::Key_PageUp, 1}));

TEST_F(PageTabControlTest, PageKeysWithoutCtrlAreNotConsumed)
{
    m_tabs->SelectPage(1);
    FocusStrip();
    for (int key : {Qt::Key_PageUp, Qt::Key_PageDown}) {
        EXPECT_FALSE(PressKey(m_tabs.get(), key, Qt::NoModifier)) << key;
        ExpectShowing(1);
    }
}

TEST_F(PageTabControlTest, CtrlPageKeysInsideAPageDoNotSwitch)
{
    m_tabs->SelectPage(1);
    // A button leaves the keys to its page, which leaves them to the tab control.
    QWidget* button = m_pages[1].GetDlgItem(res::IDC_CONVERT);
    m_host.activateWindow();
    button->setFocus();
    ASSERT_TRUE(WaitUntil([&] { return button->hasFocus(); }));
    PressKey(button, Qt::Key_PageDown, Qt::ControlModifier);
    PressKey(button, Qt::Key_PageUp, Qt::ControlModifier);
    PressKey(button, Qt::Key_PageUp, Qt::ControlModifier);
    ExpectShowing(1);
}

// Wheel turns, keys and clicks that a page leaves pass by the strip.
TEST_F(PageTabControlTest, OnlyTheStripSwitchesPagesAndTakesFocusOnItsOwnClick)
{
    auto turnWheel = [](QWidget* target, QPoint at) {
        QWheelEvent wheel(at, target->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &wheel);
    };
    m_tabs->SelectPage(1);
    QWidget* preview = m_pages[1].GetDlgItem(res::IDC_PREVIEW);
    turnWheel(preview, preview->rect().center());
    ExpectShowing(1);

    QWidget* combo = m_pages[1].GetDlgItem(res::IDC_OUT_TYPE);
    m_host.activateWindow();
    combo->setFocus();
    ASSERT_TRUE(WaitUntil([&] { return combo->hasFocus(); }));
    PressKey(combo, Qt::Key_Right, Qt::NoModifier);
    ExpectShowing(1);
    // Between the preview and the list the page is blank.
    const QSize blank = res::DialogFontUnits().ToPixels(178, 80);
    QTest::mouseClick(&m_pages[1], Qt::LeftButton, {}, QPoint(blank.width(), blank.height()));
    EXPECT_TRUE(combo->hasFocus());
    PressKey(combo, Qt::Key_Left, Qt::NoModifier);
    ExpectShowing(1);

    turnWheel(m_tabs.get(), m_tabs->tabRect(1).center());
    ExpectShowing(2);
    QTest::mouseClick(m_tabs.get(), Qt::LeftButton, {}, m_tabs->tabRect(0).center());
    ExpectShowing(0);
    EXPECT_TRUE(m_tabs->hasFocus());
    EXPECT_TRUE(PressKey(m_tabs.get(), Qt::Key_Right, Qt::NoModifier));
    ExpectShowing(1);
}

TEST_F(PageTabControlTest, DestroyWindowRunsEachPageOnceAndFreesTheRecordsOnce)
{
    m_tabs->DestroyWindow();
    for (CountingPage& page : m_pages) {
        EXPECT_EQ(page.destroyCalls, 1);
        EXPECT_TRUE(page.controlsAtDestroy);
        EXPECT_EQ(page.parentWidget(), nullptr);
    }
    EXPECT_EQ(m_tabs->LastPage(), -1);
    EXPECT_FALSE(m_tabs->SelectPage(0));
    EXPECT_FALSE(m_tabs->StepPage(1));

    // The control's own end repeats nothing and leaves the pages alone.
    m_tabs.reset();
    for (CountingPage& page : m_pages)
        EXPECT_EQ(page.destroyCalls, 1);
}

TEST_F(PageTabControlTest, DeletingTheControlNeverDeletesItsPages)
{
    m_tabs.reset();  // without DestroyWindow first
    for (CountingPage& page : m_pages) {
        EXPECT_EQ(page.destroyCalls, 1);
        EXPECT_EQ(page.parentWidget(), nullptr);
        EXPECT_NE(page.GetDlgItem(res::IDC_PREVIEW), nullptr);
    }
}

}  // namespace
