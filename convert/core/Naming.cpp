#include "Naming.h"

std::string_view FileNameFromPath(std::string_view path)
{
    const std::size_t sep = path.rfind(kPathSeparator);
    return sep == std::string_view::npos ? path : path.substr(sep + 1);
}

std::string TitleFromPath(std::string_view path)
{
    std::string_view name = FileNameFromPath(path);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string_view::npos)
        name = name.substr(0, dot);
    return std::string(name);
}

std::string OutputBasePath(std::string_view folder, std::string_view title)
{
    std::string base(folder);
    if (base.empty() || base.back() != kPathSeparator)
        base += kPathSeparator;
    base += title;
    return base;
}

std::string WithFinalSeparator(std::string folder)
{
    if (!folder.empty() && !IsPathSeparator(folder.back()))
        folder += kPathSeparator;
    return folder;
}

std::string WithoutFinalSeparator(std::string folder)
{
    if (folder.size() > 1 && IsPathSeparator(folder.back()))
        folder.pop_back();
    return folder;
}
