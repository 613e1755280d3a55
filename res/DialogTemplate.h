#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace res {

// What a template control becomes; see TemplateBuilder for the widget of each.
enum class ControlKind {
    Text,         // static text
    BlackFrame,   // static with a black frame: the preview area
    Icon,         // static showing the application icon
    Edit,         // edit field; multi-line when it has kMultiLine
    PushButton,
    CheckBox,     // an independent (auto) check box
    GroupBox,
    ListBox,
    ComboBox,     // drop-down list, items from the template
    ProgressBar,
};

// Style bits of templates and controls. Only those that change what a
// control is or how it behaves are honoured by the builder; the others are
// kept so a template reads like its resource.
enum Style : std::uint32_t {
    kChild = 1u << 0,
    kPopup = 1u << 1,
    kVisible = 1u << 2,
    kCaption = 1u << 3,
    kSysMenu = 1u << 4,
    kMinimizeBox = 1u << 5,
    kModalFrame = 1u << 6,
    kSetFont = 1u << 7,
    kAppWindow = 1u << 8,
    kTabStop = 1u << 9,
    kGroup = 1u << 10,
    kBorder = 1u << 11,
    kVScroll = 1u << 12,
    kAutoHScroll = 1u << 13,
    kMultiLine = 1u << 14,
    kReadOnly = 1u << 15,
    kDefPushButton = 1u << 16,
    kNotify = 1u << 17,
    kSort = 1u << 18,
    kNoIntegralHeight = 1u << 19,
    kDropDownList = 1u << 20,
    kStaticEdge = 1u << 21,
    kTransparent = 1u << 22,
};

// x, y, width, height in dialog units.
struct DialogRect {
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
};

struct ControlTemplate {
    int id = -1;
    ControlKind kind = ControlKind::Text;
    std::string caption;  // UTF-8
    std::uint32_t styles = 0;
    DialogRect rect;
    std::vector<std::string> items;  // combo box items, in order
};

struct DialogTemplate {
    int id = 0;
    std::string caption;
    std::uint32_t styles = 0;
    int cx = 0;  // client size in dialog units
    int cy = 0;
    std::vector<ControlTemplate> controls;  // in tab order
};

// The template with this id, or nullptr.
const DialogTemplate* FindDialogTemplate(int id);

// A string of the string table, or the empty text for an unknown id.
std::string ResourceString(int id);

// "Tessaglyph" and the version, as the About texts show it.
std::string ProductNameAndVersion();

}  // namespace res
