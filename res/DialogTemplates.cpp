// The dialog templates and the string table, as data.
#include "DialogTemplate.h"

#include "AppInfo.h"
#include "ResourceIds.h"

#include <algorithm>

namespace res {
namespace {

using K = ControlKind;

ControlTemplate Control(int id, ControlKind kind, std::string caption, std::uint32_t styles, DialogRect rect)
{
    ControlTemplate c;
    c.id = id;
    c.kind = kind;
    c.caption = std::move(caption);
    c.styles = styles;
    c.rect = rect;
    return c;
}

DialogTemplate AboutBoxTemplate()
{
    DialogTemplate t;
    t.id = IDD_ABOUTBOX;
    t.caption = "About Tessaglyph";
    t.cx = 235;
    t.cy = 55;
    t.controls = {
        Control(IDC_STATIC, K::Icon, "", 0, {11, 17, 20, 20}),
        Control(IDC_STATIC, K::Text, ProductNameAndVersion() + " ", 0, {40, 10, 119, 8}),
        Control(IDC_STATIC, K::Text, kMakerNotice, 0, {40, 25, 187, 8}),
        Control(IDC_ABOUTBOX_OK, K::PushButton, "OK", kDefPushButton | kTabStop, {178, 7, 50, 14}),
    };
    return t;
}

DialogTemplate MainTemplate()
{
    DialogTemplate t;
    t.id = IDD_MAIN;
    t.caption = "Tessaglyph";
    t.cx = 360;
    t.cy = 240;
    return t;
}

DialogTemplate SingleTemplate()
{
    constexpr std::uint32_t kEdit = kBorder | kTabStop;
    DialogTemplate t;
    t.id = IDD_SINGLE;
    t.cx = 340;
    t.cy = 210;
    t.controls = {
        Control(IDC_PREVIEW, K::BlackFrame, "", 0, {1, 0, 169, 153}),
        Control(IDC_STATIC, K::Text, "In File:", 0, {3, 171, 57, 8}),
        Control(IDC_IN_FILE, K::Edit, "", kEdit, {66, 170, 219, 14}),
        Control(IDC_OPEN_FILE, K::PushButton, "Open File", kTabStop, {289, 170, 50, 14}),
        Control(IDC_STATIC, K::Text, "Out Folder:", 0, {4, 191, 58, 8}),
        Control(IDC_OUT_DIR, K::Edit, "", kEdit, {66, 190, 220, 14}),
        Control(IDC_OPEN_FOLDER, K::PushButton, "Open Folder", kTabStop, {290, 190, 49, 14}),
        Control(IDC_STATIC, K::GroupBox, "", 0, {185, 19, 154, 95}),
        Control(IDC_STATIC, K::Text, "Out File Type:", 0, {185, 7, 99, 8}),
        Control(IDC_CONVERT, K::PushButton, "Convert", kTabStop, {185, 121, 154, 30}),
        Control(IDC_CHECK_BMP, K::CheckBox, "bmp", kTabStop, {189, 31, 28, 10}),
        Control(IDC_CHECK_JPG, K::CheckBox, "jpg", kTabStop, {248, 31, 28, 10}),
        Control(IDC_CHECK_GIF, K::CheckBox, "gif", kTabStop, {295, 31, 28, 10}),
        Control(IDC_CHECK_PCX, K::CheckBox, "pcx", kTabStop, {189, 52, 28, 10}),
        Control(IDC_CHECK_PNG, K::CheckBox, "png", kTabStop, {248, 52, 28, 10}),
        Control(IDC_CHECK_ICO, K::CheckBox, "ico", kTabStop, {295, 52, 28, 10}),
        Control(IDC_CHECK_TIF, K::CheckBox, "tif", kTabStop, {189, 71, 28, 10}),
        Control(IDC_CHECK_TGA, K::CheckBox, "tga", kTabStop, {248, 71, 28, 10}),
        Control(IDC_CHECK_RAW, K::CheckBox, "raw", kTabStop, {295, 71, 28, 10}),
    };
    return t;
}

DialogTemplate BatchTemplate()
{
    DialogTemplate t;
    t.id = IDD_BATCH;
    t.cx = 340;
    t.cy = 210;
    ControlTemplate combo =
        Control(IDC_OUT_TYPE, K::ComboBox, "", kVScroll | kTabStop, {76, 157, 77, 133});
    combo.items = {"BMP", "JPG", "GIF", "PCX", "PNG", "ICO", "TIF", "TGA", "RAW"};
    t.controls = {
        Control(IDC_PREVIEW, K::BlackFrame, "", 0, {1, 0, 169, 153}),
        Control(IDC_CONVERT, K::PushButton, "Convert", kTabStop, {282, 193, 57, 16}),
        Control(IDC_FILE_LIST, K::ListBox, "",
                kVScroll | kBorder | kTabStop, {186, 20, 151, 132}),
        Control(IDC_ADD_FILE, K::PushButton, "AddFile", kTabStop, {186, 0, 57, 14}),
        Control(IDC_ADD_FOLDER, K::PushButton, "AddFolder", kTabStop, {281, 0, 57, 14}),
        Control(IDC_STATIC, K::Text, "Out File Type:", 0, {0, 159, 69, 10}),
        combo,
        Control(IDC_STATIC, K::Text, "Out Folder:", 0, {1, 179, 60, 10}),
        Control(IDC_OUT_DIR, K::Edit, "", kBorder | kTabStop, {76, 175, 197, 14}),
        Control(IDC_BATCH_OPEN_FOLDER, K::PushButton, "Open Folder", kTabStop, {282, 175, 57, 14}),
        Control(IDC_PROGRESS, K::ProgressBar, "Progress1", kBorder, {0, 196, 274, 14}),
        Control(IDC_DELETE, K::PushButton, "Delete", kTabStop, {189, 156, 57, 14}),
        Control(IDC_DELETE_ALL, K::PushButton, "Delete All", kTabStop, {282, 156, 57, 14}),
    };
    return t;
}

DialogTemplate AboutTemplate()
{
    DialogTemplate t;
    t.id = IDD_ABOUT;
    t.cx = 340;
    t.cy = 210;
    t.controls = {
        Control(IDC_ABOUT_ICON, K::Icon, "", 0, {13, 12, 20, 20}),
        Control(IDC_INFO, K::Edit, "", kMultiLine | kReadOnly | kBorder | kTabStop, {0, 72, 339, 137}),
        Control(IDC_STATIC, K::Text, ProductNameAndVersion(), 0, {71, 11, 254, 8}),
        Control(IDC_STATIC, K::Text, kMakerNotice, 0, {71, 24, 254, 8}),
        Control(IDC_WEBSITE, K::Text, kHomepage, 0, {142, 37, 197, 8}),
        Control(IDC_STATIC, K::Text, "WebSite:", 0, {72, 38, 50, 8}),
        Control(IDC_GET_NEW_VERSION, K::PushButton, "Get New Version",
                kDefPushButton | kTabStop, {71, 51, 77, 14}),
    };
    return t;
}

const std::vector<DialogTemplate>& Templates()
{
    static const std::vector<DialogTemplate> templates = {
        AboutBoxTemplate(), MainTemplate(), SingleTemplate(), BatchTemplate(), AboutTemplate(),
    };
    return templates;
}

}  // namespace

const DialogTemplate* FindDialogTemplate(int id)
{
    const auto& all = Templates();
    const auto it = std::find_if(all.begin(), all.end(), [id](const DialogTemplate& t) { return t.id == id; });
    return it == all.end() ? nullptr : &*it;
}

std::string ResourceString(int id)
{
    if (id == IDS_ABOUTBOX)
        return "关于 Tessaglyph(&A)...";
    return {};
}

std::string ProductNameAndVersion()
{
    return std::string("Tessaglyph ") + kVersionText;
}

}  // namespace res
