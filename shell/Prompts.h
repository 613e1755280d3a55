#pragma once

#include <optional>
#include <string>

class QWidget;

// The icon of a message box.
enum class MessageIcon {
    None,     // the pages' own messages
    Warning,  // the exclamation icon
};

// Everything the pages ask the user goes through here, so tests can answer
// from a script. Paths are UTF-8 with the platform's native separators.
// Every call is modal and runs on the user-interface thread.
class IPrompts {
public:
    virtual ~IPrompts() = default;

    // The picture open-file dialog: the ten picture filters with
    // "Picture Files (*.BMP)" first and selected, matched without regard to
    // case; one file that must exist. Returns its full path, or nothing when
    // the user cancels.
    virtual std::optional<std::string> OpenPictureFile(QWidget* owner) = 0;

    // The folder picker, captioned "Browse" with the text "Select folder:",
    // opening at `initialFolder` (any trailing separator is ignored; an empty
    // or missing folder opens at the home folder). Its text field shows the
    // full path of the current selection. Returns the chosen existing folder
    // as an absolute path without a trailing separator (a root stays "/"), or
    // nothing when the user cancels.
    virtual std::optional<std::string> BrowseForFolder(QWidget* owner, const std::string& initialFolder) = 0;

    // A message box captioned with the application's name, one OK button.
    virtual void ShowMessage(QWidget* owner, const std::string& text, MessageIcon icon = MessageIcon::None) = 0;
};
