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

// The control style bits the builder honours: they change what a control is
// or how it behaves.
enum Style : std::uint32_t {
    kTabStop = 1u << 0,
    kBorder = 1u << 1,
    kVScroll = 1u << 2,
    kMultiLine = 1u << 3,
    kReadOnly = 1u << 4,
    kDefPushButton = 1u << 5,
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
