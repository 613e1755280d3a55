#include "LaunchCommand.h"
#include "LaunchError.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

using Arguments = std::vector<std::string>;

struct CutCase {
    const char* commandTemplate;
    const char* cut;
};

void PrintTo(const CutCase& c, std::ostream* os)
{
    *os << c.commandTemplate;
}

class CutCommandTemplateTest : public testing::TestWithParam<CutCase> {};

TEST_P(CutCommandTemplateTest, CutsAtTheFirstCharacterOfThePlaceholder)
{
    EXPECT_EQ(CutCommandTemplate(GetParam().commandTemplate), GetParam().cut);
}

INSTANTIATE_TEST_SUITE_P(Templates, CutCommandTemplateTest, testing::Values(
    // Registered open commands with the document placeholder.
    CutCase{R"("C:\Program Files\Web\web.exe" -nohome "%1")", R"("C:\Program Files\Web\web.exe" -nohome )"},
    CutCase{R"(C:\Web\web.exe "%1" -dde)", R"(C:\Web\web.exe )"},
    CutCase{R"(C:\Web\web.exe %1)", R"(C:\Web\web.exe )"},
    CutCase{R"(C:\Web\web.exe -url %1 -new)", R"(C:\Web\web.exe -url )"},
    CutCase{R"(C:\Web\web.exe -nohome)", R"(C:\Web\web.exe -nohome)"},
    // Desktop entries' Exec lines.
    CutCase{"/usr/lib/firefox-esr/firefox-esr %u", "/usr/lib/firefox-esr/firefox-esr "},
    CutCase{"/usr/bin/chromium %U", "/usr/bin/chromium "},
    CutCase{"epiphany %U", "epiphany "},
    CutCase{"viewer --file %f --all %F", "viewer --file "},
    CutCase{R"("/opt/My Web/web" "%u" --tab)", R"("/opt/My Web/web" )"},
    // A quoted placeholder wins over an earlier bare one; "%%u" is a percent sign.
    CutCase{R"(web %u "%U")", "web %u "},
    CutCase{"web --load=100%%u %u", "web --load=100%%u "},
    CutCase{"web %i --class %c", "web %i --class %c"},
    CutCase{"", ""}));

TEST(SplitCommandLine, FollowsTheDesktopEntryQuotingRules)
{
    EXPECT_EQ(SplitCommandLine(R"(  a   "b \"c\" \$d \`e \\f \g"  'h "i'  j\ k "")"),
              (Arguments{"a", R"(b "c" $d `e \f \g)", R"(h "i)", "j k", ""}));
    EXPECT_EQ(SplitCommandLine("x\t\"y\"z'w'"), (Arguments{"x", "yzw"}));
    EXPECT_EQ(SplitCommandLine(""), Arguments{});
    EXPECT_FALSE(SplitCommandLine(R"(a "b)"));
    EXPECT_FALSE(SplitCommandLine(R"(a "b\")"));
    EXPECT_FALSE(SplitCommandLine("a 'b"));
}

struct CommandCase {
    const char* commandTemplate;
    Arguments command; // empty: refused
};

void PrintTo(const CommandCase& c, std::ostream* os)
{
    *os << c.commandTemplate;
}

class BuildLaunchCommandTest : public testing::TestWithParam<CommandCase> {};

const char* const kUrl = R"(https://example.org/a b/"q" ; rm -rf ~ $(id) `id` 'x' %u)";

TEST_P(BuildLaunchCommandTest, GivesTheProgramItsArgumentsAndTheAddressAsOne)
{
    const auto command = BuildLaunchCommand(GetParam().commandTemplate, kUrl);
    if (GetParam().command.empty()) {
        EXPECT_FALSE(command);
        return;
    }
    Arguments expected = GetParam().command;
    expected.push_back(kUrl);
    EXPECT_EQ(command, expected);
}

INSTANTIATE_TEST_SUITE_P(ExecLines, BuildLaunchCommandTest, testing::Values(
    CommandCase{"/usr/lib/firefox-esr/firefox-esr %u", {"/usr/lib/firefox-esr/firefox-esr"}},
    CommandCase{"/usr/bin/chromium %U", {"/usr/bin/chromium"}},
    CommandCase{"epiphany %U", {"epiphany"}},
    CommandCase{"env BAMF_DESKTOP_FILE_HINT=/var/lib/snapd/desktop/applications/firefox_firefox.desktop "
                "/snap/bin/firefox %u",
                {"env", "BAMF_DESKTOP_FILE_HINT=/var/lib/snapd/desktop/applications/firefox_firefox.desktop",
                 "/snap/bin/firefox"}},
    CommandCase{"/usr/bin/flatpak run --branch=stable --arch=x86_64 --command=firefox --file-forwarding "
                "org.mozilla.firefox @@u %u @@",
                {"/usr/bin/flatpak", "run", "--branch=stable", "--arch=x86_64", "--command=firefox",
                 "--file-forwarding", "org.mozilla.firefox"}},
    CommandCase{R"("/opt/My Web/web" --new-window "%u" --ignored)", {"/opt/My Web/web", "--new-window"}},
    CommandCase{"web --private", {"web", "--private"}},
    CommandCase{"web %i --name=%c --zoom=100%% %k %u", {"web", "--name=", "--zoom=100%"}},
    CommandCase{R"("C:\Web\web.exe" "%1")", {R"(C:\Web\web.exe)"}},
    CommandCase{R"(sh -c "web %u")", {}},
    CommandCase{"%u", {}},
    CommandCase{"", {}}));

TEST(DesktopEntryExec, ReadsTheMainGroupsExecWithTheFilesEscapes)
{
    const char* const entry =
        "# comment\n"
        "[Desktop Action new-window]\n"
        "Exec=/usr/bin/web --new %u\n"
        "[Desktop Entry]\r\n"
        "Name=Web\r\n"
        "Exec = \"/opt/a\\\\\\\\b\"\\s--flag\\t%u \r\n"
        "[Desktop Action private]\n"
        "Exec=/usr/bin/web --private %u\n";
    const auto exec = DesktopEntryExec(entry);
    ASSERT_TRUE(exec);
    EXPECT_EQ(*exec, "\"/opt/a\\\\b\" --flag\t%u");
    EXPECT_EQ(SplitCommandLine(*exec), (Arguments{"/opt/a\\b", "--flag", "%u"}));

    EXPECT_FALSE(DesktopEntryExec("[Desktop Entry]\nName=Web\nTryExec=web\n"));
    EXPECT_FALSE(DesktopEntryExec("[Desktop Entry]\nExec=\n"));
    EXPECT_FALSE(DesktopEntryExec("Exec=web %u\n"));
}

TEST(DesktopFileCandidates, ReadsDashesAsFoldersButNeverLeavesTheFolder)
{
    EXPECT_EQ(DesktopFileCandidates("firefox-esr.desktop"),
              (Arguments{"firefox-esr.desktop", "firefox/esr.desktop"}));
    EXPECT_EQ(DesktopFileCandidates("a-b-c.desktop"),
              (Arguments{"a-b-c.desktop", "a/b-c.desktop", "a/b/c.desktop", "a-b/c.desktop"}));
    EXPECT_EQ(DesktopFileCandidates("..-x.desktop"), Arguments{"..-x.desktop"});
    EXPECT_EQ(DesktopFileCandidates("../x.desktop"), Arguments{});
    EXPECT_EQ(DesktopFileCandidates(".."), Arguments{});
    EXPECT_EQ(DesktopFileCandidates(""), Arguments{});
    EXPECT_EQ(DesktopFileCandidates("a-b-c-d-e-f-g-h.desktop"), Arguments{"a-b-c-d-e-f-g-h.desktop"});
}

TEST(QuoteWindowsArgument, KeepsTheArgumentWholeForTheCommandLineReader)
{
    EXPECT_EQ(QuoteWindowsArgument("https://a.org/x y"), R"("https://a.org/x y")");
    EXPECT_EQ(QuoteWindowsArgument(R"(a"b" & c)"), R"("a\"b\" & c")");
    EXPECT_EQ(QuoteWindowsArgument(R"(C:\dir\)"), R"("C:\dir\\")");
    EXPECT_EQ(QuoteWindowsArgument(R"(a\"b)"), R"("a\\\"b")");
    EXPECT_EQ(QuoteWindowsArgument(""), R"("")");
}

TEST(LaunchErrorText, NamesTheFailureOfTheCode)
{
    EXPECT_EQ(LaunchErrorText(26), "Unable to open hyperlink:\n\nA sharing violation occurred. ");
    EXPECT_EQ(LaunchErrorText(4), "Unable to open hyperlink:\n\nUnknown Error (4) occurred.");
    EXPECT_EQ(LaunchErrorText(-7), "Unable to open hyperlink:\n\nUnknown Error (-7) occurred.");
    EXPECT_EQ(LaunchErrorText(0), "Unable to open hyperlink:\n\nThe operating system is out\nof memory or resources.");
    EXPECT_EQ(LaunchErrorText(31), "Unable to open hyperlink:\n\nThere is no application associated\n"
                                   "with the given filename extension.");
    EXPECT_EQ(LaunchErrorText(33), "Unable to open hyperlink:\n\nUnknown Error (33) occurred.");
}

} // namespace
