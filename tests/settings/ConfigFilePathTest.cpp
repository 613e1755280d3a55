#include "ConfigFilePath.h"

#include "PermissionBits.h"
#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <sys/stat.h>

namespace {

class ConfigFilePathTest : public testing::Test {
protected:
    ScratchFolder m_folder;
    std::string m_program = m_folder.File("bin/tessaglyph");
    // A folder that does not exist cannot be written, for root as well.
    std::string m_missingProgram = m_folder.File("gone/tessaglyph");

    void SetUp() override { std::filesystem::create_directory(m_folder.File("bin")); }
};

TEST_F(ConfigFilePathTest, WritableProgramFolderKeepsTheFileBesideTheProgram)
{
    EXPECT_EQ(ConfigFilePath(m_program, "/xdg", "/home/u"), m_folder.File("bin/config.ini"));
    WriteFile(m_folder.File("bin/config.ini"), "");
    EXPECT_EQ(ConfigFilePath(m_program, "/xdg", "/home/u"), m_folder.File("bin/config.ini"));
}

TEST_F(ConfigFilePathTest, UnwritableProgramFolderUsesTheUsersConfigFolder)
{
    EXPECT_EQ(ConfigFilePath(m_missingProgram, "/xdg", "/home/u"), "/xdg/tessaglyph/config.ini");
    EXPECT_EQ(ConfigFilePath(m_missingProgram, "/xdg/", "/home/u"), "/xdg/tessaglyph/config.ini");
    // An unset or relative XDG_CONFIG_HOME is ignored, as the XDG rules say.
    EXPECT_EQ(ConfigFilePath(m_missingProgram, "", "/home/u"),
              "/home/u/.config/tessaglyph/config.ini");
    EXPECT_EQ(ConfigFilePath(m_missingProgram, "rel", "/home/u"),
              "/home/u/.config/tessaglyph/config.ini");
    // Nowhere better to go: stay beside the program.
    EXPECT_EQ(ConfigFilePath(m_missingProgram, "", ""), m_folder.File("gone/config.ini"));
    EXPECT_EQ(ConfigFilePath("", "", "/home/u"), "/home/u/.config/tessaglyph/config.ini");
}

TEST_F(ConfigFilePathTest, WritableConfigInReadOnlyFolderKeepsPriority)
{
    WithPermissionBitsApplied([&] {
        WriteFile(m_folder.File("bin/config.ini"), "");
        ASSERT_EQ(::chmod(m_folder.File("bin").c_str(), 0555), 0);
        EXPECT_EQ(ConfigFilePath(m_program, "/xdg", "/home/u"), m_folder.File("bin/config.ini"));
        ASSERT_EQ(::chmod(m_folder.File("bin/config.ini").c_str(), 0444), 0);
        EXPECT_EQ(ConfigFilePath(m_program, "/xdg", "/home/u"), "/xdg/tessaglyph/config.ini");
    });
}

TEST_F(ConfigFilePathTest, InstalledProgramWritesToTheUsersFolderUnlessACopyIsPortable)
{
    // The configured prefix's bin folder, writable as for root.
    EXPECT_EQ(ConfigFilePath(m_program, "/xdg", "/home/u", m_folder.File("bin")),
              "/xdg/tessaglyph/config.ini");
    // The installed layout, wherever the prefix went.
    const std::string moved = m_folder.File("opt/bin/tessaglyph");
    std::filesystem::create_directories(m_folder.File("opt/bin"));
    std::filesystem::create_directories(m_folder.File("opt/share/tessaglyph"));
    EXPECT_EQ(ConfigFilePath(moved, "", "/home/u", "/usr/bin"), "/home/u/.config/tessaglyph/config.ini");
    // A config.ini put beside an installed program makes it a portable copy.
    WriteFile(m_folder.File("opt/bin/config.ini"), "");
    EXPECT_EQ(ConfigFilePath(moved, "", "/home/u", "/usr/bin"), m_folder.File("opt/bin/config.ini"));
    // The build folder is no install: the file stays beside the program.
    EXPECT_EQ(ConfigFilePath(m_program, "/xdg", "/home/u", "/usr/bin"), m_folder.File("bin/config.ini"));
}

TEST(ConfigFilePath, RunningProgramGetsAConfigIniPath)
{
    const std::string path = ConfigFilePath();
    ASSERT_GE(path.size(), 10u);
    EXPECT_EQ(path.substr(path.size() - 10), "config.ini");
}

} // namespace
