#pragma once

#include "HyperlinkLabel.h"
#include "LaunchUrl.h"
#include "PageBase.h"
#include "PageServices.h"

#include <string>

// The About tab: the program's icon, name and version, the maker's notice,
// the web-site link, "Get New Version" and a read-only text with the
// distribution terms and a thank-you note. It keeps no settings and writes
// nothing when it closes.
class AboutPage : public PageBase {
    Q_OBJECT

public:
    explicit AboutPage(const PageServices& services);

    // How the link and "Get New Version" open the web site (LaunchUrl by
    // default). Set before Create() to reach the link as well.
    void SetLauncher(UrlLauncher launcher);

    // Fills m_strInfo with the distribution block, one line feed and the
    // thank-you block, and shows it in the text box.
    void ShowInfoText();

    // Opens the web site quietly: a failure shows nothing and changes nothing.
    void OnGetNewVersion();

    // The link, once the page is created.
    HyperlinkLabel* Link() const { return m_link; }
    const std::string& InfoText() const { return m_strInfo; }

    // The text ShowInfoText shows: blocks with CR LF line ends, joined by LF.
    static std::string InfoTextFor(const std::string& homepage, const std::string& version);

protected:
    void DoDataExchange(DataExchange& dx) override;
    bool OnInitDialog() override;

private:
    PageServices m_services;
    std::string m_strInfo;
    HyperlinkLabel* m_link = nullptr; // owned by the page, as its control
    UrlLauncher m_launch;
};
