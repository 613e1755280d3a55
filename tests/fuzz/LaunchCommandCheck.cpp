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

bool IsWindowsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// How a Windows program's C runtime reads its command line into arguments
// (the rules since Visual C++ 2008), written independently of the launcher:
// the program name runs to the first blank outside quotes, its quotes only
// group; after it, blanks separate outside quotes, 2n backslashes before a
// quote give n and the quote opens or closes, 2n+1 give n and a literal
// quote, "" inside quotes is a literal quote, other backslashes are literal.
std::vector<std::string> SplitWindowsCommandLine(std::string_view line)
{
    std::vector<std::string> arguments;
    std::size_t i = 0;
    std::string program;
    bool inQuotes = false;
    for (; i < line.size() && (inQuotes || !IsWindowsBlank(line[i])); ++i) {
        if (line[i] == '"')
            inQuotes = !inQuotes;
        else
            program += line[i];
    }
    arguments.push_back(program);
    for (;;) {
        while (i < line.size() && IsWindowsBlank(line[i]))
            ++i;
        if (i == line.size())
            return arguments;
        std::string argument;
        inQuotes = false;
        while (i < line.size() && (inQuotes || !IsWindowsBlank(line[i]))) {
            std::size_t backslashes = 0;
            while (i < line.size() && line[i] == '\\') {
                ++backslashes;
                ++i;
            }
            if (i < line.size() && line[i] == '"') {
                argument.append(backslashes / 2, '\\');
                if (backslashes % 2 == 1) {
                    argument += '"';
                    ++i;
                } else if (inQuotes && i + 1 < line.size() && line[i + 1] == '"') {
                    argument += '"';
                    i += 2;
                } else {
                    inQuotes = !inQuotes;
                    ++i;
                }
                continue;
            }
            argument.append(backslashes, '\\');
            if (i < line.size() && (inQuotes || !IsWindowsBlank(line[i])))
                argument += line[i++];
        }
        arguments.push_back(argument);
    }
}

// The Windows fallback: the program's C runtime must read the address back
// as one argument, the last, whatever the registered template holds.
std::string CheckWindowsCommand(std::string_view commandTemplate, const std::string& url)
{
    // A registry text ends at its first zero, and so does a command line.
    if (commandTemplate.find('\0') != std::string_view::npos)
        return {};
    const std::vector<std::string> arguments = SplitWindowsCommandLine(BuildWindowsCommandLine(commandTemplate, url));
    if (arguments.size() < 2 || arguments.back() != url)
        return "on Windows the address does not arrive as the last argument, whole";
    return {};
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
    if (failure.empty())
        failure = CheckWindowsCommand(commandTemplate, url);
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
