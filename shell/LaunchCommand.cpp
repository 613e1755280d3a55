#include "LaunchCommand.h"

#include <algorithm>
#include <cctype>
#include <cstddef>

namespace {

constexpr std::string_view kPlaceholders = "1uUfF";
// Beyond this many dashes an id is not split into sub-folders: the variants
// double with every dash, and no real id needs that many.
constexpr int kMaxIdDashes = 6;

bool IsPlaceholder(char c)
{
    return kPlaceholders.find(c) != std::string_view::npos;
}

std::size_t FindQuotedPlaceholder(std::string_view text)
{
    for (std::size_t i = 0; i + 3 < text.size(); ++i) {
        if (text[i] == '"' && text[i + 1] == '%' && IsPlaceholder(text[i + 2]) && text[i + 3] == '"')
            return i;
    }
    return std::string_view::npos;
}

std::size_t FindBarePlaceholder(std::string_view text)
{
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '%')
            continue;
        if (text[i + 1] == '%')
            ++i; // "%%" is a literal percent sign
        else if (IsPlaceholder(text[i + 1]))
            return i;
    }
    return std::string_view::npos;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Field codes other than the cut placeholder stand for things this launcher
// never passes (icon, caption, entry path); they go. An argument that was
// nothing but field codes goes with them.
std::optional<std::string> WithoutFieldCodes(const std::string& argument)
{
    std::string result;
    bool hadCode = false;
    for (std::size_t i = 0; i < argument.size(); ++i) {
        const char c = argument[i];
        if (c != '%' || i + 1 == argument.size()) {
            result += c;
            continue;
        }
        const char code = argument[i + 1];
        if (code == '%') {
            result += '%';
            ++i;
        } else if (std::isalpha(static_cast<unsigned char>(code))) {
            hadCode = true;
            ++i;
        } else {
            result += c;
        }
    }
    if (hadCode && result.empty())
        return std::nullopt;
    return result;
}

bool IsForwardingMarker(const std::string& argument)
{
    return argument == "@@" || argument == "@@u" || argument == "@@f";
}

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string UnescapeDesktopValue(std::string_view value)
{
    std::string result;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            result += value[i];
            continue;
        }
        switch (value[i + 1]) {
        case 's': result += ' '; break;
        case 'n': result += '\n'; break;
        case 't': result += '\t'; break;
        case 'r': result += '\r'; break;
        case '\\': result += '\\'; break;
        default:
            result += value[i];
            result += value[i + 1];
            break;
        }
        ++i;
    }
    return result;
}

bool IsSafeIdPart(std::string_view part)
{
    return !part.empty() && part != "." && part != ".." && part.find('/') == std::string_view::npos
           && part.find('\0') == std::string_view::npos;
}

void AddCandidates(std::string_view id, const std::string& prefix, std::vector<std::string>& out)
{
    out.push_back(prefix + std::string(id));
    for (std::size_t dash = id.find('-'); dash != std::string_view::npos; dash = id.find('-', dash + 1)) {
        const std::string_view folder = id.substr(0, dash);
        const std::string_view rest = id.substr(dash + 1);
        if (IsSafeIdPart(folder) && IsSafeIdPart(rest))
            AddCandidates(rest, prefix + std::string(folder) + '/', out);
    }
}

bool IsWindowsBlank(char c)
{
    return c == ' ' || c == '\t';
}

struct OpenQuote {
    bool open = false;
    bool inProgramName = false;
};

// Whether a Windows command line ends inside quotes, read as the C runtime
// reads it (see QuoteWindowsArgument): in the program name quotes only
// group; after it, a quote behind an odd number of backslashes is text, and
// "" inside quotes is a literal quote.
OpenQuote FindOpenQuote(std::string_view line)
{
    std::size_t i = 0;
    bool inQuotes = false;
    for (; i < line.size() && (inQuotes || !IsWindowsBlank(line[i])); ++i) {
        if (line[i] == '"')
            inQuotes = !inQuotes;
    }
    if (inQuotes)
        return {true, true};
    std::size_t backslashes = 0;
    for (; i < line.size(); ++i) {
        if (line[i] == '\\') {
            ++backslashes;
            continue;
        }
        if (line[i] == '"' && backslashes % 2 == 0) {
            if (inQuotes && i + 1 < line.size() && line[i + 1] == '"')
                ++i;
            else
                inQuotes = !inQuotes;
        }
        backslashes = 0;
    }
    return {inQuotes, false};
}

} // namespace

std::string CutCommandTemplate(std::string_view commandTemplate)
{
    std::size_t cut = FindQuotedPlaceholder(commandTemplate);
    if (cut == std::string_view::npos)
        cut = FindBarePlaceholder(commandTemplate);
    return std::string(commandTemplate.substr(0, cut));
}

std::optional<std::vector<std::string>> SplitCommandLine(std::string_view commandLine)
{
    std::vector<std::string> arguments;
    std::string current;
    bool inArgument = false;
    for (std::size_t i = 0; i < commandLine.size(); ++i) {
        const char c = commandLine[i];
        if (IsBlank(c)) {
            if (inArgument)
                arguments.push_back(current);
            current.clear();
            inArgument = false;
            continue;
        }
        inArgument = true;
        if (c == '"') {
            for (++i;; ++i) {
                if (i == commandLine.size())
                    return std::nullopt;
                const char q = commandLine[i];
                if (q == '"')
                    break;
                if (q == '\\' && i + 1 < commandLine.size()
                    && std::string_view("\"`$\\").find(commandLine[i + 1]) != std::string_view::npos)
                    current += commandLine[++i];
                else
                    current += q;
            }
        } else if (c == '\'') {
            const std::size_t end = commandLine.find('\'', i + 1);
            if (end == std::string_view::npos)
                return std::nullopt;
            current += commandLine.substr(i + 1, end - i - 1);
            i = end;
        } else if (c == '\\' && i + 1 < commandLine.size()) {
            current += commandLine[++i];
        } else {
            current += c;
        }
    }
    if (inArgument)
        arguments.push_back(current);
    return arguments;
}

std::optional<std::vector<std::string>> BuildLaunchCommand(std::string_view commandTemplate,
                                                          const std::string& url)
{
    const auto split = SplitCommandLine(CutCommandTemplate(commandTemplate));
    if (!split)
        return std::nullopt;
    std::vector<std::string> command;
    for (const std::string& argument : *split) {
        if (IsForwardingMarker(argument))
            continue;
        if (auto kept = WithoutFieldCodes(argument))
            command.push_back(std::move(*kept));
    }
    if (command.empty() || command.front().empty())
        return std::nullopt;
    command.push_back(url);
    return command;
}

std::optional<std::string> KeyFileValue(std::string_view fileText, std::string_view group, std::string_view key)
{
    bool inGroup = false;
    while (!fileText.empty()) {
        const std::size_t end = fileText.find('\n');
        const std::string_view line = Trimmed(fileText.substr(0, end));
        fileText.remove_prefix(end == std::string_view::npos ? fileText.size() : end + 1);
        if (line.empty() || line.front() == '#')
            continue;
        if (line.front() == '[') {
            inGroup = line.size() == group.size() + 2 && line.back() == ']' && line.substr(1, group.size()) == group;
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!inGroup || equals == std::string_view::npos || Trimmed(line.substr(0, equals)) != key)
            continue;
        return std::string(Trimmed(line.substr(equals + 1)));
    }
    return std::nullopt;
}

std::vector<std::string> KeyFileList(std::string_view value)
{
    std::vector<std::string> items;
    while (!value.empty()) {
        const std::size_t end = value.find(';');
        const std::string_view item = Trimmed(value.substr(0, end));
        if (!item.empty())
            items.emplace_back(item);
        value.remove_prefix(end == std::string_view::npos ? value.size() : end + 1);
    }
    return items;
}

std::optional<std::string> DesktopEntryExec(std::string_view fileText)
{
    const std::optional<std::string> raw = KeyFileValue(fileText, "Desktop Entry", "Exec");
    if (!raw)
        return std::nullopt;
    std::string value = UnescapeDesktopValue(*raw);
    if (value.empty())
        return std::nullopt;
    return value;
}

std::vector<std::string> DesktopFileCandidates(std::string_view desktopId)
{
    std::vector<std::string> candidates;
    if (!IsSafeIdPart(desktopId))
        return candidates;
    if (std::count(desktopId.begin(), desktopId.end(), '-') > kMaxIdDashes)
        candidates.emplace_back(desktopId);
    else
        AddCandidates(desktopId, std::string(), candidates);
    return candidates;
}

std::string QuoteWindowsArgument(std::string_view argument)
{
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes count double only in front of a quote.
        quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        quoted += c;
        backslashes = 0;
    }
    quoted.append(backslashes * 2, '\\');
    quoted += '"';
    return quoted;
}

std::string BuildWindowsCommandLine(std::string_view commandTemplate, const std::string& url)
{
    std::string command = CutCommandTemplate(commandTemplate);
    // A placeholder inside a quoted argument ("--url=%1") leaves that quote
    // open at the cut, and the address would be read into it and split at
    // its blanks. Closed here, the address stays one argument.
    const OpenQuote quote = FindOpenQuote(command);
    if (quote.open) {
        if (!quote.inProgramName) {
            // Backslashes before the closing quote would escape it; doubled, they stay text.
            const std::size_t text = command.find_last_not_of('\\');
            command.append(command.size() - (text == std::string::npos ? 0 : text + 1), '\\');
        }
        command += '"';
    }
    return command + " " + QuoteWindowsArgument(url);
}
