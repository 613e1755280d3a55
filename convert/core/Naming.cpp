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

std::string NumberedPath(std::string_view path, unsigned n)
{
    if (n < 2)
        return std::string(path);
    const std::size_t nameStart = path.size() - FileNameFromPath(path).size();
    std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || dot <= nameStart)
        dot = path.size();
    return std::string(path.substr(0, dot)) + " (" + std::to_string(n) + ")" + std::string(path.substr(dot));
}

std::string TreeOutputFolder(std::string_view outDir, std::string_view root, std::string_view input)
{
    const std::string out = WithoutFinalSeparator(std::string(outDir));
    const std::string top = WithFinalSeparator(std::string(root));
    if (top.empty() || input.size() <= top.size() || input.compare(0, top.size(), top) != 0)
        return out;
    const std::string_view below = input.substr(top.size());
    const std::size_t sep = below.rfind(kPathSeparator);
    if (sep == std::string_view::npos)
        return out;
    return WithFinalSeparator(out) + std::string(below.substr(0, sep));
}
