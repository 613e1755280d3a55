#include "LaunchUrl.h"

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
        for (const char* folder : {"bin", "home/applications", "data1/applications", "data2/applications"})
            fs::create_directories(m_root + "/" + folder);
        m_environment.Set("PATH", m_root + "/bin");
        m_environment.Set("XDG_DATA_HOME", m_root + "/home");
        m_environment.Set("XDG_DATA_DIRS", m_root + "/data1:" + m_root + "/data2");
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

    // xdg-mime that names entryId for the given MIME type only.
    void WriteXdgMime(const std::string& mimeType, const std::string& entryId)
    {
        WriteFile("bin/xdg-mime",
                  "#!/bin/sh\n"
                  "[ \"$1 $2 $3\" = 'query default " + mimeType + "' ] && echo '" + entryId + "'\n"
                  "exit 0\n",
                  fs::perms::owner_all);
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

TEST_F(LaunchUrlTest, OpenerThatSucceedsGetsTheAddressAndNoFallbackRuns)
{
    WriteProgram("xdg-open", 0);
    WriteProgram("xdg-mime", 0);
    EXPECT_GT(LaunchUrl(kUrl, SW_SHOW), 32);
    EXPECT_EQ(RecordedArguments("xdg-open", 0), Recorded({kUrl}));
    EXPECT_FALSE(fs::exists(Path("xdg-mime.args")));
}

TEST_F(LaunchUrlTest, AddressWithBlanksQuotesAndSemicolonReachesOpenerAsOneArgument)
{
    WriteProgram("xdg-open", 0);
    EXPECT_GT(LaunchUrl(kHostileUrl, SW_HIDE), 32);
    EXPECT_EQ(RecordedArguments("xdg-open", 0), Recorded({kHostileUrl}));
    for (const char* marker : {"pwned", "pwned2", "pwned3", "bin/pwned"})
        EXPECT_FALSE(fs::exists(Path(marker))) << marker;
}

TEST_F(LaunchUrlTest, MissingOpenerFallsBackToTheRegisteredBrowserEntry)
{
    WriteXdgMime("x-scheme-handler/http", "web-browser.desktop");
    WriteProgram("web", 0);
    WriteFile("home/applications/web-browser.desktop",
              "[Desktop Entry]\nType=Application\nExec=web --new-window %u --dropped\n");
    EXPECT_GT(LaunchUrl(kHostileUrl, SW_SHOW), 32);
    EXPECT_EQ(RecordedArguments("web"), Recorded({"--new-window", kHostileUrl}));
    for (const char* marker : {"pwned", "pwned2", "pwned3", "bin/pwned"})
        EXPECT_FALSE(fs::exists(Path(marker))) << marker;
}

TEST_F(LaunchUrlTest, OpenerWithoutHandlerFallsBackThroughTextHtmlAndLaterDataDirs)
{
    WriteProgram("xdg-open", 3);
    WriteXdgMime("text/html", "vendor-web.desktop");
    WriteProgram("my web", 0);
    // Found as a sub-folder form of the id, in the second data folder only.
    fs::create_directories(Path("data2/applications/vendor"));
    WriteFile("data2/applications/vendor/web.desktop",
              "[Desktop Entry]\nExec=\"" + Path("bin/my web") + "\" --tab \"%u\"\n");
    EXPECT_GT(LaunchUrl(kUrl, SW_SHOW), 32);
    EXPECT_EQ(RecordedArguments("my web"), Recorded({"--tab", kUrl}));
}

TEST_F(LaunchUrlTest, EntryInDataHomeTakesPrecedence)
{
    WriteXdgMime("x-scheme-handler/http", "web.desktop");
    WriteProgram("home-web", 0);
    WriteProgram("system-web", 0);
    WriteFile("home/applications/web.desktop", "[Desktop Entry]\nExec=home-web %U\n");
    WriteFile("data1/applications/web.desktop", "[Desktop Entry]\nExec=system-web %U\n");
    EXPECT_GT(LaunchUrl(kUrl, SW_SHOW), 32);
    EXPECT_EQ(RecordedArguments("home-web"), Recorded({kUrl}));
    EXPECT_FALSE(fs::exists(Path("system-web.args")));
}

TEST_F(LaunchUrlTest, OpenerStillBusyAfterTheWaitCountsAsSuccess)
{
    WriteProgram("xdg-open", 4, "exec /bin/sleep 3\n");
    EXPECT_GT(LaunchUrl(kUrl, SW_SHOW, LaunchOptions{50}), 32);
}

TEST_F(LaunchUrlTest, FailuresGiveTheNearestCode)
{
    // Nothing at all: the opener is not installed.
    EXPECT_EQ(LaunchUrl(kUrl, SW_SHOW), 2);

    WriteFile("bin/xdg-open", "#!/bin/sh\nexit 0\n");
    EXPECT_EQ(LaunchUrl(kUrl, SW_SHOW), 5) << "opener not executable";

    WriteProgram("xdg-open", 3);
    EXPECT_EQ(LaunchUrl(kUrl, SW_SHOW), 31) << "no handler, no registered browser";
    WriteProgram("xdg-open", 4);
    EXPECT_EQ(LaunchUrl(kUrl, SW_SHOW), 27) << "the handler failed";
    WriteProgram("xdg-open", 2);
    EXPECT_EQ(LaunchUrl(kUrl, SW_SHOW), 2) << "location not found";

    WriteProgram("xdg-open", 3);
    WriteXdgMime("x-scheme-handler/http", "web.desktop");
    EXPECT_EQ(LaunchUrl(kUrl, SW_SHOW), 31) << "registered entry not installed";
    WriteFile("home/applications/web.desktop", "[Desktop Entry]\nName=Web\n");
    EXPECT_EQ(LaunchUrl(kUrl, SW_SHOW), 27) << "entry without Exec";
    WriteFile("home/applications/web.desktop", "[Desktop Entry]\nExec=no-such-web %u\n");
    EXPECT_EQ(LaunchUrl(kUrl, SW_SHOW), 2) << "entry's program missing";
    WriteFile("bin/no-such-web", "#!/bin/sh\n");
    EXPECT_EQ(LaunchUrl(kUrl, SW_SHOW), 5) << "entry's program not executable";
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
