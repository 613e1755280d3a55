#include "PageBase.h"

#include "DialogUnits.h"
#include "ResourceIds.h"
#include "QtPrinters.h"
#include "WaitUntil.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

namespace {

// A page exchanging one control of each kind its template has.
class TestPage : public PageBase {
public:
    int m_bCheck = 0;
    std::string m_strText;
    int m_nIndex = -1;
    QLineEdit* m_pEdit = nullptr;

    int initCalls = 0;
    bool controlsAtInit = false;
    int destroyCalls = 0;
    std::string textAtDestroy;

protected:
    void DoDataExchange(DataExchange& dx) override
    {
        DDX_Control(dx, res::IDC_OUT_DIR, m_pEdit);
        DDX_Check(dx, res::IDC_CHECK_BMP, m_bCheck);
        DDX_Text(dx, res::IDC_OUT_DIR, m_strText);
        DDX_CBIndex(dx, res::IDC_OUT_TYPE, m_nIndex);
    }

    bool OnInitDialog() override
    {
        ++initCalls;
        controlsAtInit = GetDlgItem(res::IDC_OUT_DIR) != nullptr;
        return PageBase::OnInitDialog();
    }

    void OnDestroy() override
    {
        ++destroyCalls;
        UpdateData(true);
        textAtDestroy = m_strText;
    }
};

// Records the keys that reach the page's parent.
class KeyRecorder : public QWidget {
public:
    std::vector<int> keys;

protected:
    void keyPressEvent(QKeyEvent* event) override { keys.push_back(event->key()); }
};

class PageBaseTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_parent.resize(800, 600);
        ASSERT_TRUE(m_page.Create(res::IDD_BATCH, &m_parent));
    }

    QLineEdit* Edit() { return m_page.GetDlgItemAs<QLineEdit>(res::IDC_OUT_DIR); }
    QComboBox* Combo() { return m_page.GetDlgItemAs<QComboBox>(res::IDC_OUT_TYPE); }

    KeyRecorder m_parent;
    TestPage m_page;
};

TEST_F(PageBaseTest, CreateBuildsTheTemplateThenRunsOnInitDialogOnce)
{
    EXPECT_EQ(m_page.initCalls, 1);
    EXPECT_TRUE(m_page.controlsAtInit);
    EXPECT_EQ(m_page.parentWidget(), &m_parent);
    EXPECT_FALSE(m_page.isWindow());
    EXPECT_EQ(m_page.size(), res::DialogFontUnits().ToPixels(340, 210));
    EXPECT_FALSE(m_page.Create(res::IDD_BATCH, &m_parent));
    EXPECT_EQ(m_page.initCalls, 1);

    TestPage unknown;
    EXPECT_FALSE(unknown.Create(4242, &m_parent));
    EXPECT_EQ(unknown.initCalls, 0);
    EXPECT_FALSE(unknown.UpdateData(true));
    EXPECT_EQ(unknown.GetDlgItem(res::IDC_OUT_DIR), nullptr);
}

TEST_F(PageBaseTest, TextAndComboIndexGoBothWays)
{
    EXPECT_EQ(m_page.m_pEdit, Edit());

    m_page.m_strText = "/home/李/图片/out";
    m_page.m_nIndex = 4;
    ASSERT_TRUE(m_page.UpdateData(false));
    EXPECT_EQ(Edit()->text(), QStringLiteral("/home/李/图片/out"));
    EXPECT_EQ(Combo()->currentText(), QStringLiteral("PNG"));

    Edit()->setText(QStringLiteral("typed"));
    Combo()->setCurrentIndex(8);
    ASSERT_TRUE(m_page.UpdateData(true));
    EXPECT_EQ(m_page.m_strText, "typed");
    EXPECT_EQ(m_page.m_nIndex, 8);
}

TEST_F(PageBaseTest, ComboIndexOutsideTheItemsLeavesNoSelection)
{
    for (int index : {9, 100, -1, -7}) {
        Combo()->setCurrentIndex(2);
        m_page.m_nIndex = index;
        m_page.UpdateData(false);
        EXPECT_EQ(Combo()->currentIndex(), -1) << index;
        m_page.m_nIndex = 5;
        m_page.UpdateData(true);
        EXPECT_EQ(m_page.m_nIndex, -1) << index;
    }
}

TEST(PageBaseCheck, CheckBoxFlagsReadBackAsZeroOrOne)
{
    QWidget parent;
    TestPage page;
    ASSERT_TRUE(page.Create(res::IDD_SINGLE, &parent));
    auto* box = page.GetDlgItemAs<QCheckBox>(res::IDC_CHECK_BMP);
    ASSERT_NE(box, nullptr);
    const std::pair<int, int> cases[] = {{1, 1}, {0, 0}, {5, 1}, {-1, 1}, {2, 1}};
    for (const auto& [written, read] : cases) {
        page.m_bCheck = written;
        page.UpdateData(false);
        EXPECT_EQ(box->isChecked(), written != 0) << written;
        page.m_bCheck = 42;
        page.UpdateData(true);
        EXPECT_EQ(page.m_bCheck, read) << written;
    }
    // A template without the control leaves the member alone.
    TestPage other;
    ASSERT_TRUE(other.Create(res::IDD_ABOUT, &parent));
    other.m_bCheck = 7;
    other.UpdateData(true);
    EXPECT_EQ(other.m_bCheck, 7);
}

TEST(PageBaseText, MultiLineEditExchangesItsText)
{
    class InfoPage : public PageBase {
    public:
        std::string m_strInfo;

    protected:
        void DoDataExchange(DataExchange& dx) override { DDX_Text(dx, res::IDC_INFO, m_strInfo); }
    };
    QWidget parent;
    InfoPage page;
    ASSERT_TRUE(page.Create(res::IDD_ABOUT, &parent));
    page.m_strInfo = "line one\nline two";
    page.UpdateData(false);
    EXPECT_EQ(page.GetDlgItemAs<QPlainTextEdit>(res::IDC_INFO)->toPlainText(), QStringLiteral("line one\nline two"));
    page.m_strInfo.clear();
    page.UpdateData(true);
    EXPECT_EQ(page.m_strInfo, "line one\nline two");
}

TEST_F(PageBaseTest, EnterAndEscapeNeitherCloseNorHideThePage)
{
    m_parent.show();
    ASSERT_TRUE(WaitUntil([&] { return m_page.isVisible(); }));
    for (int key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(Edit(), &press);
        EXPECT_TRUE(m_page.isVisible()) << key;
    }
    // Escape goes on to the window that holds the page.
    EXPECT_EQ(m_parent.keys, std::vector<int>{Qt::Key_Escape});

    m_page.reject();
    m_page.accept();
    m_page.done(QDialog::Rejected);
    EXPECT_TRUE(m_page.isVisible());
}

TEST_F(PageBaseTest, DestroyWindowRunsOnDestroyOnceWithTheControlsThenDetaches)
{
    Edit()->setText(QStringLiteral("kept"));
    m_page.DestroyWindow();
    EXPECT_EQ(m_page.destroyCalls, 1);
    EXPECT_EQ(m_page.textAtDestroy, "kept");
    EXPECT_TRUE(m_page.IsDestroyed());
    EXPECT_EQ(m_page.parentWidget(), nullptr);
    EXPECT_FALSE(m_page.isVisible());
    m_page.DestroyWindow();
    EXPECT_EQ(m_page.destroyCalls, 1);
}

TEST(PageBaseDestroy, AnUncreatedPageHasNothingToDestroy)
{
    TestPage page;
    page.DestroyWindow();
    EXPECT_EQ(page.destroyCalls, 0);
}

}  // namespace
