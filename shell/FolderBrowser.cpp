#include "FolderBrowser.h"

#include "Prompts.h"

namespace {

#ifdef _WIN32
bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}
constexpr char kSeparator = '\\';
#else
bool IsSeparator(char c)
{
    return c == '/';
}
constexpr char kSeparator = '/';
#endif

}  // namespace

bool FolderBrowser(IPrompts& prompts, std::string& result, std::string initial, QWidget* owner)
{
    // Removing the only character of "/" would name no folder at all.
    if (initial.size() > 1 && IsSeparator(initial.back()))
        initial.pop_back();

    const std::optional<std::string> chosen = prompts.BrowseForFolder(owner, initial);
    if (!chosen)
        return false;
    if (!chosen->empty()) {
        result = *chosen;
        if (!IsSeparator(result.back()))
            result += kSeparator;
    }
    return true;
}
