#include "FuzzChecks.h"

#include "FuzzInput.h"

#include "LaunchCommand.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using Command = std::optional<std::vector<std::string>>;

// Each argument in single quotes (a quote inside as '\''), so splitting the
// joined line must give the arguments back.
std::string QuotedLine(const std::vector<std::string>& arguments)
{
    std::string line;
    for (const std::string& argument : arguments) {
        line += line.empty() ? "'" : " '";
        for (const char c : argument) {
            if (c == '\'')
                line += "'\\''";
            else
                line += c;
        }
        line += '\'';
    }
    return line;
}

std::string CheckCommand(std::string_view commandTemplate, const std::string& url)
{
    const Command command = BuildLaunchCommand(commandTemplate, url);
    // Addresses an attacker could choose: blanks, quotes, escapes, field codes, options.
    const std::string other = url + " \"'\\ %u %% -x @@ \\\"";
    const Command otherCommand = BuildLaunchCommand(commandTemplate, other);
    const Command emptyCommand = BuildLaunchCommand(commandTemplate, "");
    if (command.has_value() != otherCommand.has_value() || command.has_value() != emptyCommand.has_value())
        return "the address decides whether a command is built";
    if (!command)
        return {};
    if (command->size() < 2 || command->front().empty())
        return "a command was built without a program";
    if (command->back() != url || otherCommand->back() != other || emptyCommand->back().size() != 0)
        return "the address is not the last argument as it was given";
    if (!std::equal(command->begin(), command->end() - 1, otherCommand->begin(), otherCommand->end() - 1) ||
        !std::equal(command->begin(), command->end() - 1, emptyCommand->begin(), emptyCommand->end() - 1))
        return "the address changed the arguments before it";
    return {};
}

}  // namespace

std::string CheckLaunchCommand(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    const std::string url = input.Field().value_or("https://example.org/a b?c=\"d\"");
    const std::string commandTemplate = input.Rest();

    const std::string cut = CutCommandTemplate(commandTemplate);
    if (commandTemplate.compare(0, cut.size(), cut) != 0)
        return "the cut template is not the start of the template";

    if (const auto arguments = SplitCommandLine(cut)) {
        const auto again = SplitCommandLine(QuotedLine(*arguments));
        if (!again || *again != *arguments)
            return "arguments quoted again do not split back into themselves";
    }

    std::string failure = CheckCommand(commandTemplate, url);
    if (!failure.empty())
        return failure;

    // The same bytes as a desktop file: its Exec line goes the same way.
    if (const auto exec = DesktopEntryExec(commandTemplate)) {
        if (exec->empty())
            return "an empty Exec value was returned";
        failure = CheckCommand(*exec, url);
        if (!failure.empty())
            return "through a desktop file: " + failure;
    }
    return {};
}
