#include "MainDialog.h"

#include "AboutBox.h"

#include "AppInfo.h"
#include "DialogUnits.h"
#include "ResourceIds.h"

#include "FakePrompts.h"
#include "ModalCloser.h"
#include "QtPrinters.h"
#include "WaitUntil.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

class MainDialogTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_dialog = std::make_unique<MainDialog>(m_services);
        for (int i = 0; i < 3; ++i)
            m_spies.push_back(std::make_unique<QSignalSpy>(Page(i), &PageBase::PageDestroyed));
    }

    PageBase* Page(int tab) { return m_dialog->TabControl().Record(tab).m_pPage; }

    void Show()
    {
        m_dialog->show();
        m_dialog->activateWindow();
        ASSERT_TRUE(WaitUntil([&] { return m_dialog->isActiveWindow(); }));
    }

    void ExpectEveryPageDestroyedOnce()
    {
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(m_spies[static_cast<std::size_t>(i)]->count(), 1) << "page " << i;
    }

    FakePrompts m_prompts;
    PageServices m_services{m_prompts, "/nonexistent/config.ini"};
    std::unique_ptr<MainDialog> m_dialog;
    std::vector<std::unique_ptr<QSignalSpy>> m_spies;
};

TEST_F(MainDialogTest, StartsWithTheSinglePageShownUnderThreeTabs)
{
    Show();
    PageTabControl& tabs = m_dialog->TabControl();
    EXPECT_EQ(m_dialog->windowTitle(), QStringLiteral("Tessaglyph"));
    EXPECT_EQ(m_dialog->size(), res::DialogFontUnits().ToPixels(360, 240));
    EXPECT_EQ(m_dialog->minimumSize(), m_dialog->maximumSize());
    EXPECT_EQ(tabs.ControlId(), 2000u);
    EXPECT_EQ(tabs.geometry(), m_dialog->rect().adjusted(5, 5, -5, -5));
    ASSERT_EQ(tabs.count(), 3);
    EXPECT_EQ(tabs.tabText(0), QStringLiteral("Single"));
    EXPECT_EQ(tabs.tabText(1), QStringLiteral("Batch"));
    EXPECT_EQ(tabs.tabText(2), QStringLiteral("About"));
    EXPECT_EQ(tabs.currentIndex(), 0);
    EXPECT_EQ(tabs.CurPage(), 0);
    EXPECT_NE(dynamic_cast<SinglePage*>(Page(0)), nullptr);
    EXPECT_NE(dynamic_cast<BatchPage*>(Page(1)), nullptr);
    EXPECT_NE(dynamic_cast<AboutPage*>(Page(2)), nullptr);
    EXPECT_TRUE(Page(0)->isVisible());
    EXPECT_FALSE(Page(1)->isVisible());
    EXPECT_FALSE(Page(2)->isVisible());
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Page(i)->pos(), QPoint(10, 30));
        EXPECT_EQ(Page(i)->size(), res::DialogFontUnits().ToPixels(340, 210));
        // The page fits inside the page area.
        EXPECT_TRUE(tabs.rect().contains(Page(i)->geometry())) << i;
    }
    const QList<QSize> sizes = m_dialog->windowIcon().availableSizes();
    EXPECT_TRUE(sizes.contains(QSize(16, 16)));
    EXPECT_TRUE(sizes.contains(QSize(32, 32)));
}

class SysCommand : public MainDialogTest, public testing::WithParamInterface<unsigned int> {};

TEST_P(SysCommand, OnlyTheAboutIdsOpenTheAboutBox)
{
    Show();
    const unsigned int id = GetParam();
    ModalCloser closer;
    m_dialog->OnSysCommand(id);
    if ((id & 0xFFF0) == 0x10) {
        EXPECT_EQ(closer.Titles(), std::vector<std::string>{"About Tessaglyph"});
    } else {
        EXPECT_EQ(closer.Count(), 0);
    }
    EXPECT_TRUE(m_dialog->isVisible());
}

INSTANTIATE_TEST_SUITE_P(Ids, SysCommand,
                         testing::Values(0x10u, 0x11u, 0x17u, 0x1Fu, 0x20u, 0x0u, 0xFu, 0x110u, 0xF060u));

TEST_F(MainDialogTest, AboutEntryFollowsASeparatorAndOpensTheAboutBox)
{
    const std::unique_ptr<QMenu> menu = m_dialog->CreateSystemMenu();
    ASSERT_NE(menu, nullptr);
    const QList<QAction*> actions = menu->actions();
    ASSERT_EQ(actions.size(), 2);
    EXPECT_TRUE(actions[0]->isSeparator());
    EXPECT_EQ(actions[1]->text(), QStringLiteral("关于 Tessaglyph(&A)..."));

    Show();
    ModalCloser closer;
    actions[1]->trigger();
    EXPECT_EQ(closer.Titles(), std::vector<std::string>{"About Tessaglyph"});
}

TEST_F(MainDialogTest, TheTabStripOffersTheAboutEntryAndThePagesDoNot)
{
    Show();
    PageTabControl& tabs = m_dialog->TabControl();
    auto rightClick = [&](QWidget* widget, QPoint at) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, widget->mapToGlobal(at));
        QApplication::sendEvent(widget, &event);
    };
    {
        ModalCloser closer;
        rightClick(&tabs, QPoint(tabs.width() - 20, tabs.StripRect().center().y()));
        ASSERT_EQ(closer.Menus().size(), 1u);
        EXPECT_EQ(closer.Menus()[0], (std::vector<std::string>{"-", "关于 Tessaglyph(&A)..."}));
    }
    {
        ModalCloser closer;
        rightClick(Page(0), QPoint(Page(0)->width() - 5, Page(0)->height() - 5));
        EXPECT_EQ(closer.Count(), 0);
    }
}

TEST_F(MainDialogTest, EscapeNeverClosesAndEnterInAFieldPressesNoButton)
{
    Show();
    PageTabControl& tabs = m_dialog->TabControl();
    auto press = [](QWidget* target, int key) {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(target, &event);
    };
    // Qt makes an auto-default button the default once it has had the focus.
    Page(0)->GetDlgItem(res::IDC_CONVERT)->setFocus();
    const std::pair<int, int> fields[] = {{0, res::IDC_IN_FILE}, {0, res::IDC_OUT_DIR}, {1, res::IDC_OUT_DIR}};
    for (const auto& [tab, id] : fields) {
        tabs.SelectPage(tab);
        QWidget* field = Page(tab)->GetDlgItem(id);
        field->setFocus();
        ASSERT_TRUE(WaitUntil([&] { return field->hasFocus(); }));
        for (int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
            press(field, key);
    }
    tabs.setFocus();
    press(&tabs, Qt::Key_Escape);
    QCoreApplication::processEvents();
    EXPECT_TRUE(m_dialog->isVisible());
    EXPECT_EQ(m_prompts.openFileCalls, 0);
    EXPECT_TRUE(m_prompts.folderInitialFolders.empty());
    EXPECT_TRUE(m_prompts.messages.empty());
    for (const auto& spy : m_spies)
        EXPECT_EQ(spy->count(), 0);
}

// The ways a user or the system ends the main dialog.
enum class Closing { CloseButton, CtrlQ, DoneAccepted, Reject };

class ClosingWays : public MainDialogTest, public testing::WithParamInterface<Closing> {
protected:
    void CloseBy(Closing way)
    {
        switch (way) {
        case Closing::CloseButton:  // what the window manager sends for the button and Alt+F4
            m_dialog->close();
            break;
        case Closing::CtrlQ:  // from inside a page; shortcuts need the active window
            m_dialog->activateWindow();
            WaitUntil([&] { return m_dialog->isActiveWindow(); });
            QTest::keyClick(Page(0)->GetDlgItem(res::IDC_IN_FILE), Qt::Key_Q, Qt::ControlModifier);
            break;
        case Closing::DoneAccepted:
            m_dialog->done(QDialog::Accepted);
            break;
        case Closing::Reject:
            m_dialog->reject();
            break;
        }
    }
};

TEST_P(ClosingWays, EndTheModalRunAndDestroyEveryPageOnce)
{
    std::vector<std::string> textsAtDestroy;
    auto* edit = qobject_cast<QLineEdit*>(Page(0)->GetDlgItem(res::IDC_IN_FILE));
    ASSERT_NE(edit, nullptr);
    edit->setText(QStringLiteral("still here"));
    QObject::connect(Page(0), &PageBase::PageDestroyed,
                     [&] { textsAtDestroy.push_back(edit->text().toStdString()); });

    QTimer::singleShot(0, [&] { CloseBy(GetParam()); });
    QTimer watchdog;  // a dialog that fails to close must not hang the suite
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [&] { m_dialog->hide(); });
    watchdog.start(5000);
    m_dialog->exec();
    EXPECT_TRUE(watchdog.isActive()) << "the dialog did not close";

    EXPECT_FALSE(m_dialog->isVisible());
    ExpectEveryPageDestroyedOnce();
    EXPECT_EQ(textsAtDestroy, std::vector<std::string>{"still here"});

    m_dialog.reset();
    ExpectEveryPageDestroyedOnce();
}

INSTANTIATE_TEST_SUITE_P(Ways, ClosingWays,
                         testing::Values(Closing::CloseButton, Closing::CtrlQ, Closing::DoneAccepted,
                                         Closing::Reject));

TEST_F(MainDialogTest, DestroyingAnOpenDialogStillDestroysEveryPageOnce)
{
    Show();
    m_dialog.reset();
    ExpectEveryPageDestroyedOnce();
}

TEST(AboutBox, ShowsNameVersionAndNoticeAndOkEndsIt)
{
    AboutBox box;
    EXPECT_EQ(box.windowTitle(), QStringLiteral("About Tessaglyph"));
    EXPECT_EQ(box.size(), res::DialogFontUnits().ToPixels(235, 55));
    QStringList texts;
    for (QWidget* widget : box.Controls().Widgets()) {
        if (auto* label = qobject_cast<QLabel*>(widget); label && !label->text().isEmpty())
            texts << label->text();
    }
    EXPECT_EQ(texts, (QStringList{QStringLiteral("Tessaglyph %1 ").arg(QLatin1String(res::kVersionText)),
                                  QString::fromUtf8(res::kMakerNotice)}));

    auto* ok = qobject_cast<QPushButton*>(box.GetDlgItem(res::IDC_ABOUTBOX_OK));
    ASSERT_NE(ok, nullptr);
    EXPECT_TRUE(ok->isDefault());
    QTimer::singleShot(0, ok, &QPushButton::click);
    EXPECT_EQ(box.exec(), QDialog::Accepted);
}

}  // namespace
