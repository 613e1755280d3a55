#include "FolderBrowser.h"

#include "Naming.h"
#include "Prompts.h"

bool FolderBrowser(IPrompts& prompts, std::string& result, std::string initial, QWidget* owner)
{
    // Removing the only character of "/" would name no folder at all.
    if (initial.size() > 1 && IsPathSeparator(initial.back()))
        initial.pop_back();

    const std::optional<std::string> chosen = prompts.BrowseForFolder(owner, initial);
    if (!chosen)
        return false;
    if (!chosen->empty()) {
        result = *chosen;
        if (!IsPathSeparator(result.back()))
            result += kPathSeparator;
    }
    return true;
}
