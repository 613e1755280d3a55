#include "OptionsPage.h"

#include "FakePrompts.h"
#include "OptionsSettings.h"
#include "ResourceIds.h"
#include "ScratchFolder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>

#include <gtest/gtest.h>

namespace {

TEST(OptionsPageTest, ShowsTheSectionEditsTheSharedOptionsAndSavesAtDestroy)
{
    ScratchFolder folder;
    const std::string config = folder.File("config.ini");
    WriteFile(config, "[Single]\r\nbpng=1\r\n[Options]\r\nJpegQuality=70\r\nResize=longest\r\nIfExists=bad\r\n");
    FakePrompts prompts;
    ConversionOptions shared;
    PageServices services{prompts, config};
    services.options = &shared;
    QWidget parent;
    OptionsPage page(services);
    ASSERT_TRUE(page.Create(res::IDD_OPTIONS, &parent));

    // Every control shows its option; a bad value shows the default.
    EXPECT_EQ(page.GetDlgItemAs<QSpinBox>(res::IDC_JPEG_QUALITY)->value(), 70);
    EXPECT_EQ(page.GetDlgItemAs<QSpinBox>(res::IDC_JPEG_QUALITY)->maximum(), 100);
    EXPECT_EQ(page.GetDlgItemAs<QComboBox>(res::IDC_IF_EXISTS)->currentIndex(), 0);
    EXPECT_EQ(page.GetDlgItemAs<QDoubleSpinBox>(res::IDC_JXL_DISTANCE)->value(), 1.0);
    EXPECT_TRUE(page.GetDlgItemAs<QCheckBox>(res::IDC_JXL_LOSSLESS_JPEG)->isChecked());
    EXPECT_EQ(shared.resize, ResizeMode::LongestSide);
    EXPECT_TRUE(page.GetDlgItem(res::IDC_MAX_SIDE)->isEnabled());
    EXPECT_FALSE(page.GetDlgItem(res::IDC_RESIZE_WIDTH)->isEnabled());

    // A change reaches the options the other pages convert with at once.
    page.GetDlgItemAs<QComboBox>(res::IDC_IF_EXISTS)->setCurrentIndex(2);
    page.GetDlgItemAs<QComboBox>(res::IDC_RESIZE)->setCurrentIndex(1);
    EXPECT_EQ(shared.ifExists, ExistingFiles::Rename);
    EXPECT_TRUE(page.GetDlgItem(res::IDC_RESIZE_WIDTH)->isEnabled());
    EXPECT_FALSE(page.GetDlgItem(res::IDC_MAX_SIDE)->isEnabled());

    page.DestroyWindow();
    ConversionOptions saved;
    ASSERT_TRUE(LoadOptionsSettings(config, saved, nullptr));
    EXPECT_EQ(saved, shared);
    EXPECT_EQ(ReadFile(config).rfind("[Single]\r\nbpng=1\r\n[Options]\r\n", 0), 0u);
}

}  // namespace
