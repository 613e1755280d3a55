#include "AboutPage.h"

#include "AppInfo.h"
#include "FakePrompts.h"
#include "ModalCloser.h"
#include "QtPrinters.h"
#include "ResourceIds.h"
#include "ScopedEnvironment.h"

#include <QDir>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

const std::string kHomepage = res::kHomepage;

class AboutPageTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_configDir.isValid());
        m_page = std::make_unique<AboutPage>(m_services);
        m_page->SetLauncher([this](const std::string& url, int showCommand) {
            m_launches.emplace_back(url, showCommand);
            return m_nResult;
        });
        ASSERT_TRUE(m_page->Create(res::IDD_ABOUT, &m_parent));
    }

    void TearDown() override
    {
        if (m_page)
            m_page->DestroyWindow();
    }

    QPlainTextEdit* Info() const { return m_page->GetDlgItemAs<QPlainTextEdit>(res::IDC_INFO); }
    QPushButton* GetNewVersion() const { return m_page->GetDlgItemAs<QPushButton>(res::IDC_GET_NEW_VERSION); }

    QTemporaryDir m_configDir;
    FakePrompts m_prompts;
    PageServices m_services{m_prompts, m_configDir.filePath(QStringLiteral("config.ini")).toStdString()};
    QWidget m_parent;
    std::unique_ptr<AboutPage> m_page;
    std::vector<std::pair<std::string, int>> m_launches;
    int m_nResult = 2;
};

TEST_F(AboutPageTest, InfoTextIsBothBlocksByteForByte)
{
    const std::string expected =
        "Distribution:\r\n"
        "-----------------------------------------------------\r\n"
        "    Tessaglyph is free software, distributed under the MIT licence:\r\n"
        "anyone may use, copy, modify, merge, publish, distribute, sublicense \r\n"
        "and sell copies of Tessaglyph " + std::string(res::kVersionText) + ", on the condition that \r\n"
        "the copyright notice and this permission notice stay with them. \r\n"
        "It comes without warranty of any kind; the full terms are in LICENSE.\r\n"
        "\r\n"
        "\n"
        "-----------------------------------------------------\r\n"
        "Thanks for using Tessaglyph!\r\n"
        "Keep your copy up-to-date! Please check regularly for \r\n"
        "updates at: " + kHomepage + "/ .\r\n"
        "\r\n";
    EXPECT_EQ(m_page->InfoText(), expected);
    const std::string other = AboutPage::InfoTextFor("https://a.example", "1.5");
    const std::string updates = "updates at: https://a.example/ .\r\n\r\n";
    EXPECT_EQ(other.substr(other.size() - updates.size()), updates);

    // The box shows the same lines and cannot be edited.
    ASSERT_NE(Info(), nullptr);
    EXPECT_EQ(Info()->toPlainText(), QString::fromStdString(expected).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    EXPECT_TRUE(Info()->isReadOnly());
}

TEST_F(AboutPageTest, LinkShowsTheWebSiteUnderlinedWithItsTooltip)
{
    HyperlinkLabel* link = m_page->Link();
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->parentWidget(), m_page.get());
    EXPECT_EQ(link->text().toStdString(), kHomepage);
    EXPECT_EQ(link->LinkUrl(), kHomepage);
    EXPECT_EQ(link->toolTip().toStdString(), kHomepage);
    EXPECT_EQ(link->UnderlineMode(), 1);
    EXPECT_TRUE(link->font().underline()) << "underlined before the pointer ever comes";
    EXPECT_FALSE(link->isHidden());
    EXPECT_TRUE(m_page->GetDlgItem(res::IDC_WEBSITE)->isHidden()) << "the plain text gave way to the link";
    EXPECT_EQ(link->pos(), m_page->GetDlgItem(res::IDC_WEBSITE)->pos());
}

TEST_F(AboutPageTest, GetNewVersionOpensTheWebSiteHiddenAndSilently)
{
    ASSERT_NE(GetNewVersion(), nullptr);
    EXPECT_TRUE(GetNewVersion()->isDefault());
    const std::string before = m_page->InfoText();

    m_nResult = 2;
    GetNewVersion()->click();
    ASSERT_EQ(m_launches.size(), 1u);
    EXPECT_EQ(m_launches[0], std::make_pair(kHomepage, 0));
    EXPECT_TRUE(m_prompts.messages.empty()) << "a failure shows nothing";
    EXPECT_EQ(m_page->InfoText(), before);
    EXPECT_FALSE(m_page->Link()->IsVisited());

    m_nResult = 42;
    GetNewVersion()->click();
    EXPECT_EQ(m_launches.size(), 2u);
    EXPECT_FALSE(m_page->Link()->IsVisited()) << "the button is not the link";
}

TEST_F(AboutPageTest, FailedLinkClickIsReportedThroughThePagesPrompts)
{
    m_nResult = 26;
    m_page->Link()->OnLinkClicked();
    ASSERT_EQ(m_launches.size(), 1u);
    EXPECT_EQ(m_launches[0], std::make_pair(kHomepage, 5));
    ASSERT_EQ(m_prompts.messages.size(), 1u);
    EXPECT_EQ(m_prompts.messages[0].text, "Unable to open hyperlink:\n\nA sharing violation occurred. ");
}

TEST_F(AboutPageTest, ClosingWritesNothing)
{
    m_page->DestroyWindow();
    m_page.reset();
    EXPECT_TRUE(QDir(m_configDir.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
}

// With the real launcher and no opener or browser on PATH, the button still
// shows nothing.
TEST(AboutPageDefaultLauncher, GetNewVersionWithoutAnyBrowserShowsNothing)
{
    QTemporaryDir emptyBin;
    ScopedEnvironment environment;
    environment.Set("PATH", emptyBin.path().toStdString());

    FakePrompts prompts;
    const PageServices services{prompts, "/nonexistent/config.ini"};
    QWidget parent;
    AboutPage page(services);
    ASSERT_TRUE(page.Create(res::IDD_ABOUT, &parent));
    ModalCloser closer;
    page.GetDlgItemAs<QPushButton>(res::IDC_GET_NEW_VERSION)->click();
    EXPECT_EQ(closer.Count(), 0);
    EXPECT_TRUE(prompts.messages.empty());
    page.DestroyWindow();
}

} // namespace
