#include "AboutPage.h"

#include "AppInfo.h"
#include "ResourceIds.h"

#include <QLabel>
#include <QPushButton>

#include <utility>

namespace {

const std::string kRule(53, '-');

} // namespace

AboutPage::AboutPage(const PageServices& services)
    : m_services(services)
    , m_launch([](const std::string& url, int showCommand) { return LaunchUrl(url, showCommand); })
{
}

void AboutPage::SetLauncher(UrlLauncher launcher)
{
    m_launch = std::move(launcher);
    if (m_link)
        m_link->SetLauncher(m_launch);
}

std::string AboutPage::InfoTextFor(const std::string& homepage, const std::string& version)
{
    // The shape is fixed: four leading blanks on the first line of terms, a
    // trailing blank on the three after it, an empty line closing each block.
    const std::string distribution =
        "Distribution:\r\n" + kRule + "\r\n"
        "    Tessaglyph is free software, distributed under the MIT licence:\r\n"
        "anyone may use, copy, modify, merge, publish, distribute, sublicense \r\n"
        "and sell copies of Tessaglyph " + version + ", on the condition that \r\n"
        "the copyright notice and this permission notice stay with them. \r\n"
        "It comes without warranty of any kind; the full terms are in LICENSE.\r\n"
        "\r\n";
    const std::string thanks =
        kRule + "\r\n"
        "Thanks for using Tessaglyph!\r\n"
        "Keep your copy up-to-date! Please check regularly for \r\n"
        "updates at: " + homepage + "/" + " ." + "\r\n"
        "\r\n";
    return distribution + "\n" + thanks;
}

void AboutPage::ShowInfoText()
{
    m_strInfo = InfoTextFor(res::kHomepage, res::kVersionText);
    UpdateData(false);
}

void AboutPage::OnGetNewVersion()
{
    if (m_launch)
        m_launch(res::kHomepage, SW_HIDE);
}

void AboutPage::DoDataExchange(DataExchange& dx)
{
    PageBase::DoDataExchange(dx);
    DDX_Text(dx, res::IDC_INFO, m_strInfo);
    // The template's static text becomes the link once; the link attaches
    // itself and takes the text, the web-site address, as its address.
    if (!m_link) {
        if (auto* control = qobject_cast<QLabel*>(dx.Control(res::IDC_WEBSITE))) {
            m_link = HyperlinkLabel::SubclassLabel(*control);
            if (m_link) {
                m_link->SetLauncher(m_launch);
                m_link->SetPrompts(&m_services.prompts);
            }
        }
    }
}

bool AboutPage::OnInitDialog()
{
    PageBase::OnInitDialog();
    if (auto* button = GetDlgItemAs<QPushButton>(res::IDC_GET_NEW_VERSION))
        connect(button, &QPushButton::clicked, this, &AboutPage::OnGetNewVersion);
    if (m_link) {
        m_link->SetLinkUrl(res::kHomepage);
        m_link->SetUnderlineMode(1);
    }
    ShowInfoText();
    return true;
}
