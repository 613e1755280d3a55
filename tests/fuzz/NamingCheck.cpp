#include "FuzzChecks.h"

#include "FuzzInput.h"

#include "Naming.h"
#include "OutputFormat.h"

#include <string>

namespace {

std::string WithCase(std::string text, bool upper)
{
    for (char& c : text) {
        if (upper && c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        else if (!upper && c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

}  // namespace

std::string CheckNaming(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    const std::string folder = input.Field().value_or("/out/");
    const std::string path = input.Rest();

    const std::uint32_t type = TypeFromPath(path);
    // The type depends on the last three characters alone, in any case.
    const std::string lastThree = path.size() < 3 ? path : path.substr(path.size() - 3);
    if (TypeFromPath(lastThree) != type || TypeFromPath(WithCase(path, true)) != type ||
        TypeFromPath(WithCase(path, false)) != type)
        return "TypeFromPath depends on more than the case-folded last three characters";
    if (type != kTypeUnknown && FormatByTypeCode(type) == nullptr)
        return "TypeFromPath gave a code outside the format table";

    const std::string title = TitleFromPath(path);
    if (title.find(kPathSeparator) != std::string::npos)
        return "the title holds a separator";
    if (title.size() > path.size() || path.find(title) == std::string::npos)
        return "the title is not part of the path";

    const std::string base = OutputBasePath(folder, title);
    if (base.compare(0, folder.size(), folder) != 0)
        return "the base path does not start with the folder";
    const std::string between = base.substr(folder.size(), base.size() - folder.size() - title.size());
    const bool folderEndsInSeparator = !folder.empty() && folder.back() == kPathSeparator;
    if (between != (folderEndsInSeparator ? "" : std::string(1, kPathSeparator)))
        return "the base path does not hold exactly one separator between folder and title";
    if (base.compare(base.size() - title.size(), title.size(), title) != 0)
        return "the base path does not end with the title";

    // Every output named from them is recognised by its own extension and
    // gives the same title again, so converting an output names it alike.
    for (const OutputFormat& format : OutputFormats()) {
        const std::string output = base + format.extension;
        if (TypeFromPath(output) != format.typeCode)
            return std::string("an output named .") + format.label + " is not recognised as " + format.comboText;
        if (TitleFromPath(output) != title)
            return "an output's title differs from its input's";
    }
    return {};
}
