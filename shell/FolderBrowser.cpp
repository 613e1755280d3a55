#include "FolderBrowser.h"

#include "Naming.h"
#include "Prompts.h"

#include <utility>

bool FolderBrowser(IPrompts& prompts, std::string& result, std::string initial, QWidget* owner)
{
    const std::optional<std::string> chosen = prompts.BrowseForFolder(owner, WithoutFinalSeparator(std::move(initial)));
    if (!chosen)
        return false;
    if (!chosen->empty())
        result = WithFinalSeparator(*chosen);
    return true;
}
