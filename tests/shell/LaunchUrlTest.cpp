#include "LaunchUrl.h"

#include "DefaultApplication.h"

#include "ScopedEnvironment.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

// Every program here is a fake shell script on a PATH of its own, so no real
// opener or browser can ever start.
class LaunchUrlTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_root = m_dir.path().toStdString();
        for (const char* folder : {"bin", "config", "sysconfig", "home/applications", "data1/applications",
                                   "data2/applications"})
            fs::create_directories(m_root + "/" + folder);
        // Nothing of this machine's own desktop may take part.
        m_environment.Set("PATH", m_root + "/bin");
        m_environment.Set("XDG_CONFIG_HOME", m_root + "/config");
        m_environment.Set("XDG_CONFIG_DIRS", m_root + "/sysconfig");
        m_environment.Set("XDG_DATA_HOME", m_root + "/home");
        m_environment.Set("XDG_DATA_DIRS", m_root + "/data1:" + m_root + "/data2");
        m_environment.Set("XDG_CURRENT_DESKTOP", "Other:TEST");
    }

    std::string Path(const std::string& relative) const { return m_root + "/" + relative; }

    void WriteFile(const std::string& relative, const std::string& text, fs::perms perms = fs::perms::owner_read
                                                                                               | fs::perms::owner_write)
    {
        std::ofstream(Path(relative), std::ios::binary) << text;
        fs::permissions(Path(relative), perms);
    }

    // A program that records its arguments (count, then each in brackets) in
    // <name>.args and ends with exitCode.
    void WriteProgram(const std::string& name, int exitCode, const std::string& extra = {})
    {
        WriteFile("bin/" + name,
                  "#!/bin/sh\n"
                  "{ printf '%s\\n' \"$#\"; printf '[%s]\\n' \"$@\"; } > '" + Path(name + ".args.tmp") + "'\n"
                  "/bin/mv '" + Path(name + ".args.tmp") + "' '" + Path(name + ".args") + "'\n"
                  + extra + "exit " + std::to_string(exitCode) + "\n",
                  fs::perms::owner_all);
    }

    // A mimeapps.list (relative to the root) naming these defaults of one type.
    void WriteDefaults(const std::string& relative, const std::string& mimeType, const std::string& ids,
                       const std::string& more = {})
    {
        WriteFile(relative, "[Default Applications]\n" + mimeType + "=" + ids + "\n" + more);
    }

    // The recorded arguments of a detached program, waited for with a bound.
    std::optional<std::string> RecordedArguments(const std::string& name, int timeoutMs = 5000) const
    {
        QElapsedTimer timer;
        timer.start();
        while (!fs::exists(Path(name + ".args"))) {
            if (timer.hasExpired(timeoutMs))
                return std::nullopt;
            QThread::msleep(10);
        }
        std::ifstream file(Path(name + ".args"));
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

    static std::string Recorded(std::initializer_list<std::string> arguments)
    {
        std::string text = std::to_string(arguments.size()) + "\n";
        for (const std::string& argument : arguments)
            text += "[" + argument + "]\n";
        return text;
    }

    QTemporaryDir m_dir;
    std::string m_root;
    ScopedEnvironment m_environment;
};

const std::string kUrl = "https://example.org/tessaglyph";
// Blanks, quotes, ';' and shell syntax: must arrive as one argument and run nothing.
const std::string kHostileUrl = "https://example.org/a b?q=\"x\"&y='z'; touch pwned $(touch pwned2) `touch pwned3`";

TEST_F(LaunchUrlTest, OpenerThatStartsGetsTheAddressAndNoFallbackRuns)
{
    WriteProgram("xdg-open", 0);
    WriteProgram("web", 0);
    WriteDefaults("config/mimeapps.list", "x-scheme-handler/https", "web.desktop");
    WriteFile("home/applications/web.desktop", "[Desktop Entry]\nExec=web %u\n");
    EXPECT_GT(LaunchUrl(kUrl, SW_SHOW), 32);
    EXPECT_EQ(RecordedArguments("xdg-open"), Recorded({kUrl}));
    EXPECT_FALSE(fs::exists(Path("web.args")));
}

TEST_F(LaunchUrlTest, OpenerThatFindsNoHandlerFallsBackToTheDefaultBrowser)
{
    WriteProgram("xdg-open", 3);
    EXPECT_EQ(LaunchUrl(kUrl, SW_SHOW), 31) << "no registered browser either";
    WriteProgram("web", 0);
    WriteDefaults("config/mimeapps.list", "x-scheme-handler/https", "web.desktop");
    WriteFile("home/applications/web.desktop", "[Desktop Entry]\nExec=web %u\n");
    EXPECT_GT(LaunchUrl(kUrl, SW_SHOW), 32);
    EXPECT_EQ(RecordedArguments("web"), Recorded({kUrl}));
}

TEST_F(LaunchUrlTest, AddressWithBlanksQuotesAndSemicolonReachesOpenerAsOneArgument)
{
    WriteProgram("xdg-open", 0);
    EXPECT_GT(LaunchUrl(kHostileUrl, SW_HIDE), 32);
    EXPECT_EQ(RecordedArguments("xdg-open"), Recorded({kHostileUrl}));
    for (const char* marker : {"pwned", "pwned2", "pwned3", "bin/pwned"})
        EXPECT_FALSE(fs::exists(Path(marker))) << marker;
}

TEST_F(LaunchUrlTest, MissingOpenerFallsBackToTheDefaultBrowserEntry)
{
    WriteDefaults("config/mimeapps.list", "x-scheme-handler/https", "web-browser.desktop");
    WriteProgram("web", 0);
    WriteFile("home/applications/web-browser.desktop",
              "[Desktop Entry]\nType=Application\nExec=web --new-window %u --dropped\n");
    EXPECT_GT(LaunchUrl(kHostileUrl, SW_SHOW), 32);
    EXPECT_EQ(RecordedArguments("web"), Recorded({"--new-window", kHostileUrl}));
    for (const char* marker : {"pwned", "pwned2", "pwned3", "bin/pwned"})
        EXPECT_FALSE(fs::exists(Path(marker))) << marker;
}

TEST_F(LaunchUrlTest, OpenerThatCannotRunFallsBackThroughTextHtmlAndLaterDataDirs)
{
    WriteFile("bin/xdg-open", "#!/bin/sh\nexit 0\n");  // not executable
    WriteDefaults("data2/applications/mimeapps.list", "text/html", "vendor-web.desktop");
    WriteProgram("my web", 0);
    // Found as a sub-folder form of the id, in the second data folder only.
    fs::create_directories(Path("data2/applications/vendor"));
    WriteFile("data2/applications/vendor/web.desktop",
              "[Desktop Entry]\nExec=\"" + Path("bin/my web") + "\" --tab \"%u\"\n");
    EXPECT_GT(LaunchUrl(kUrl, SW_SHOW), 32);
    EXPECT_EQ(RecordedArguments("my web"), Recorded({"--tab", kUrl}));
}

TEST_F(LaunchUrlTest, TheDefaultFollowsTheOrderOfTheMimeappsListFiles)
{
    const std::string type = "x-scheme-handler/https";
    for (const char* id : {"desk", "home", "sys", "datahome", "added", "cached", "other", "hidden"})
        WriteFile("data1/applications/" + std::string(id) + ".desktop", "[Desktop Entry]\nExec=" + std::string(id) + " %u\n");
    WriteFile("home/applications/hidden.desktop", "[Desktop Entry]\nExec=hidden %u\nHidden=true\n");
    WriteDefaults("config/test-mimeapps.list", type, "gone.desktop;desk.desktop");
    WriteDefaults("config/mimeapps.list", type, "home.desktop", "[Removed Associations]\n" + type + "=cached.desktop\n");
    WriteDefaults("sysconfig/mimeapps.list", type, "hidden.desktop;sys.desktop");
    WriteDefaults("home/applications/mimeapps.list", type, "datahome.desktop");
    WriteFile("data1/applications/mimeapps.list", "[Added Associations]\n" + type + "=added.desktop\n");
    WriteFile("data2/applications/mimeinfo.cache", "[MIME Cache]\n" + type + "=cached.desktop;other.desktop;\n");

    const auto chosen = [&] {
        const auto entry = DefaultApplicationEntry({type, "text/html"});
        return entry ? fs::path(entry->path).stem().string() : std::string("none");
    };
    // Each step takes away the winner's file (or line) and finds the next.
    EXPECT_EQ(chosen(), "desk");  // the desktop's own list first; an id not installed is passed over
    fs::remove(Path("config/test-mimeapps.list"));
    EXPECT_EQ(chosen(), "home");
    WriteFile("config/mimeapps.list", "[Removed Associations]\n" + type + "=cached.desktop\n");
    EXPECT_EQ(chosen(), "sys");  // a hidden entry shadows the one below it and counts as deleted
    fs::remove(Path("sysconfig/mimeapps.list"));
    EXPECT_EQ(chosen(), "datahome");
    fs::remove(Path("home/applications/mimeapps.list"));
    EXPECT_EQ(chosen(), "added");  // no default anywhere: the associations
    fs::remove(Path("data1/applications/mimeapps.list"));
    EXPECT_EQ(chosen(), "other");  // an association removed above is left out
    fs::remove(Path("data2/applications/mimeinfo.cache"));
    EXPECT_EQ(chosen(), "none");
}

TEST_F(LaunchUrlTest, FailuresGiveTheNearestCode)
{
    // Nothing at all: the opener is not installed.
    EXPECT_EQ(LaunchUrl(kUrl, SW_SHOW), 2);
    WriteFile("bin/xdg-open", "not a program", fs::perms::owner_all);
    EXPECT_EQ(LaunchUrl(kUrl, SW_SHOW), 11) << "opener cannot be loaded, no registered browser";
    fs::remove(Path("bin/xdg-open"));

    WriteDefaults("config/mimeapps.list", "x-scheme-handler/https", "web.desktop");
    WriteFile("home/applications/web.desktop", "[Desktop Entry]\nExec=\"web %u\n");
    EXPECT_EQ(LaunchUrl(kUrl, SW_SHOW), 27) << "entry's Exec line unreadable";
    WriteFile("home/applications/web.desktop", "[Desktop Entry]\nExec=no-such-web %u\n");
    EXPECT_EQ(LaunchUrl(kUrl, SW_SHOW), 2) << "entry's program missing";
    WriteFile("bin/no-such-web", "not a program", fs::perms::owner_all);
    EXPECT_EQ(LaunchUrl(kUrl, SW_SHOW), 11) << "entry's program cannot be loaded";
}

TEST_F(LaunchUrlTest, RefusesAddressesThatCouldPassForOptions)
{
    WriteProgram("xdg-open", 0);
    EXPECT_EQ(LaunchUrl("--remote-debugging-port=9222", SW_SHOW), 2);
    EXPECT_EQ(LaunchUrl("", SW_SHOW), 2);
    EXPECT_FALSE(fs::exists(Path("xdg-open.args")));
}

} // namespace
