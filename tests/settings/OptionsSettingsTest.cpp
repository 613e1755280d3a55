#include "OptionsSettings.h"

#include "ScratchFolder.h"

#include <gtest/gtest.h>

namespace {

TEST(OptionsSettingsTest, SectionComesBackAndLeavesTheRestOfTheFileAlone)
{
    ScratchFolder folder;
    const std::string path = folder.File("config.ini");
    WriteFile(path, "[Single]\r\nbpng=1\r\n");
    ConversionOptions options;
    ASSERT_TRUE(LoadOptionsSettings(path, options));
    EXPECT_EQ(options, ConversionOptions()) << "no section: the defaults";

    options.jpegQuality = 75;
    options.ifExists = ExistingFiles::Rename;
    options.jxlDistance = 2.5;
    ASSERT_TRUE(SaveOptionsSettings(path, options));
    const std::string saved = ReadFile(path);
    EXPECT_EQ(saved.rfind("[Single]\r\nbpng=1\r\n[Options]\r\nJpegQuality=75\r\nJpegChroma=auto\r\n", 0), 0u) << saved;
    ConversionOptions back;
    ASSERT_TRUE(LoadOptionsSettings(path, back));
    EXPECT_EQ(back, options);

    // A hand-edited bad value keeps its default for the window, and is an
    // error for whoever asks (the command line's --options-from).
    WriteFile(path, "[Options]\nJpegQuality=high\nIfExists=skip\n");
    ASSERT_TRUE(LoadOptionsSettings(path, back));
    EXPECT_EQ(back.jpegQuality, 90);
    EXPECT_EQ(back.ifExists, ExistingFiles::Skip);
    std::string error;
    EXPECT_FALSE(LoadOptionsSettings(path, back, &error));
    EXPECT_EQ(error, "JpegQuality takes a whole number from 1 to 100, not 'high'");
    EXPECT_FALSE(LoadOptionsSettings(folder.File("missing.ini"), back, &error));
}

}  // namespace
