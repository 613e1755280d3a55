#pragma once

#include <string>

class IPrompts;
class QWidget;

// Lets the user pick a folder with the prompts' folder picker (captioned
// "Browse", text "Select folder:", the full path of the selection in its text
// field), opening at `initial` with one final separator removed: the picker
// gets its own copy, so the caller's text keeps its separator. A root ("/")
// is offered as it is.
//
// On OK: `result` becomes the chosen folder with one final separator and the
// return is true (an answer without a path leaves `result` as it was). On
// cancel: false, `result` unchanged. `owner` is blocked while the picker is
// open. User-interface thread only.
bool FolderBrowser(IPrompts& prompts, std::string& result, std::string initial, QWidget* owner = nullptr);
