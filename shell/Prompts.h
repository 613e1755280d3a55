#pragma once

#include <optional>
#include <string>
#include <vector>

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

    // The picture open-file dialog: "All Pictures" (every extension the
    // program reads) first and selected, then the ten picture filters from
    // "Picture Files (*.BMP)" to "All Files (*.*)", matched without regard to
    // case; files that must exist. It opens at the folder of the file last
    // chosen with it, else at the folder of `nearFile` (the page's current
    // picture) when that exists. Returns the full path, or nothing when the
    // user cancels.
    virtual std::optional<std::string> OpenPictureFile(QWidget* owner, const std::string& nearFile) = 0;
    // The same dialog taking several files at once: their full paths in the
    // dialog's order, or none when the user cancels.
    virtual std::vector<std::string> OpenPictureFiles(QWidget* owner, const std::string& nearFile) = 0;

    // The desktop's own folder dialog, captioned "Browse" (its name field
    // labelled "Select folder:" where it has one), opening at `initialFolder`
    // (any trailing separator is ignored; a missing folder opens at its
    // nearest existing parent, an empty or relative one at the home folder).
    // Returns the chosen folder as an absolute path without a trailing
    // separator (a root stays "/"), or nothing when the user cancels.
    virtual std::optional<std::string> BrowseForFolder(QWidget* owner, const std::string& initialFolder) = 0;

    // A message box captioned with the application's name, one OK button.
    virtual void ShowMessage(QWidget* owner, const std::string& text, MessageIcon icon = MessageIcon::None) = 0;
};
