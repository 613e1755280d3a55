#include "IniFile.h"

#include "FileIo.h"

#include <climits>
#include <new>

namespace {

constexpr std::string_view kBlanks = " \t";
constexpr std::size_t npos = std::string_view::npos;

char FoldAscii(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool SameFolded(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i]))
            return false;
    }
    return true;
}

std::string_view WithoutComment(std::string_view text)
{
    return text.substr(0, text.find(';'));
}

// A path such as "/photos/[2024] Trip/" after "=" must not make a header, so
// only a "[" at the start of the line counts.
bool LooksLikeHeader(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(kBlanks);
    return first != npos && text[first] == '[' && text.find(']', first + 1) != npos;
}

IniLineKind KindOfReadLine(std::string_view text)
{
    const std::string_view body = WithoutComment(text);
    if (LooksLikeHeader(body))
        return IniLineKind::Section;
    if (body.find('=') != npos)
        return IniLineKind::Key;
    return IniLineKind::Other;
}

struct KeyLineParts {
    std::string_view key;
    std::string value;
    std::string_view comment;
};

// Reads a quoted value from rest[0] == '"'. False when no closing quote
// follows: such a value keeps the plain reading it always had.
bool ReadQuotedValue(std::string_view rest, KeyLineParts& parts)
{
    std::string value;
    std::size_t i = 1;
    for (;;) {
        if (i >= rest.size())
            return false;
        if (rest[i] == '"') {
            if (i + 1 < rest.size() && rest[i + 1] == '"') {
                value += '"';
                i += 2;
                continue;
            }
            ++i;
            break;
        }
        value += rest[i++];
    }
    // Text between the closing quote and a comment is kept, not dropped
    // (it only occurs in hand-edited files).
    const std::size_t semi = rest.find(';', i);
    value.append(rest.substr(i, semi == npos ? npos : semi - i));
    parts.value = std::move(value);
    parts.comment = semi == npos ? std::string_view() : rest.substr(semi);
    return true;
}

// Splits a Key line's text. Nothing is trimmed: blanks belong to the key or
// the value they stand next to.
bool SplitKeyLine(std::string_view text, KeyLineParts& parts)
{
    const std::size_t eq = text.find('=');
    const std::size_t semi = text.find(';');
    if (eq == npos || (semi != npos && semi < eq))
        return false;
    parts.key = text.substr(0, eq);
    const std::string_view rest = text.substr(eq + 1);
    if (!rest.empty() && rest.front() == '"' && ReadQuotedValue(rest, parts))
        return true;
    const std::size_t valueEnd = rest.find(';');
    parts.value = std::string(rest.substr(0, valueEnd));
    parts.comment = valueEnd == npos ? std::string_view() : rest.substr(valueEnd);
    return true;
}

// Values that the plain reading would cut or unquote go inside quotes.
std::string EncodeValue(std::string_view value)
{
    if (value.find(';') == npos && (value.empty() || value.front() != '"'))
        return std::string(value);
    std::string quoted = "\"";
    for (const char c : value) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

bool HasLineBreak(std::string_view text)
{
    return text.find_first_of("\r\n") != npos;
}

// Names a setter takes must be found again after the file is read back.
bool IsStorableSection(std::string_view section)
{
    return !HasLineBreak(section) && section.find(';') == npos;
}

bool IsStorableKey(std::string_view key)
{
    if (HasLineBreak(key) || key.find_first_of("=;") != npos)
        return false;
    const std::size_t first = key.find_first_not_of(kBlanks);
    return first == npos || key[first] != '[';
}

// Like atoi, but clamped instead of undefined when the number is too large.
int ReadLikeAtoi(std::string_view text)
{
    std::size_t i = text.find_first_not_of(" \t\n\v\f\r");
    if (i == npos)
        return 0;
    bool negative = false;
    if (text[i] == '+' || text[i] == '-') {
        negative = text[i] == '-';
        ++i;
    }
    constexpr long long kLimit = static_cast<long long>(INT_MAX) + 1;
    long long number = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        number = number * 10 + (text[i] - '0');
        if (number > kLimit)
            number = kLimit;
    }
    if (negative)
        return static_cast<int>(-number);
    return number > INT_MAX ? INT_MAX : static_cast<int>(number);
}

} // namespace

bool IniFile::Open(const std::string& path)
{
    m_lines.clear();
    try {
        std::string bytes;
        if (!ReadOrCreateFile(path, bytes))
            return false;
        std::size_t start = 0;
        while (start < bytes.size()) {
            const std::size_t lf = bytes.find('\n', start);
            std::size_t end = lf == std::string::npos ? bytes.size() : lf;
            if (lf != std::string::npos && end > start && bytes[end - 1] == '\r')
                --end;
            std::string text = bytes.substr(start, end - start);
            const IniLineKind kind = KindOfReadLine(text);
            m_lines.push_back(IniLine{kind, std::move(text)});
            if (lf == std::string::npos)
                break;
            start = lf + 1;
        }
        return true;
    } catch (const std::bad_alloc&) {
        m_lines.clear();
        return false;
    }
}

std::optional<std::size_t> IniFile::FindSection(std::string_view name) const
{
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        const IniLine& line = m_lines[i];
        if (line.kind != IniLineKind::Section)
            continue;
        const std::string_view text = line.text;
        if (text.size() == name.size() + 2 && text.front() == '[' && text.back() == ']' &&
            SameFolded(text.substr(1, name.size()), name))
            return i;
    }
    return std::nullopt;
}

IniKeyLookup IniFile::FindKey(std::string_view section, std::string_view key) const
{
    IniKeyLookup lookup;
    lookup.sectionLine = FindSection(section);
    if (!lookup.sectionLine)
        return lookup;
    for (std::size_t i = *lookup.sectionLine + 1; i < m_lines.size(); ++i) {
        const IniLine& line = m_lines[i];
        if (line.kind == IniLineKind::Section)
            break;
        KeyLineParts parts;
        if (line.kind != IniLineKind::Key || !SplitKeyLine(line.text, parts) ||
            !SameFolded(parts.key, key))
            continue;
        lookup.keyLine = i;
        lookup.key = std::string(parts.key);
        lookup.value = std::move(parts.value);
        lookup.comment = std::string(parts.comment);
        break;
    }
    return lookup;
}

std::string IniFile::GetString(std::string_view section, std::string_view key,
                               std::string_view fallback) const
{
    IniKeyLookup lookup = FindKey(section, key);
    if (!lookup.keyLine)
        return std::string(fallback);
    return std::move(lookup.value);
}

int IniFile::GetInt(std::string_view section, std::string_view key, int fallback) const
{
    const IniKeyLookup lookup = FindKey(section, key);
    return lookup.keyLine ? ReadLikeAtoi(lookup.value) : fallback;
}

bool IniFile::GetBool(std::string_view section, std::string_view key, bool fallback) const
{
    const IniKeyLookup lookup = FindKey(section, key);
    return lookup.keyLine ? ReadLikeAtoi(lookup.value) != 0 : fallback;
}

bool IniFile::SetString(std::string_view section, std::string_view key, std::string_view value)
{
    if (!IsStorableSection(section) || !IsStorableKey(key) || HasLineBreak(value))
        return false;
    try {
        const std::string encoded = EncodeValue(value);
        const IniKeyLookup lookup = FindKey(section, key);
        if (lookup.keyLine) {
            m_lines[*lookup.keyLine].text = lookup.key + "=" + encoded + lookup.comment;
            return true;
        }
        IniLine keyLine{IniLineKind::Key, std::string(key) + "=" + encoded};
        if (lookup.sectionLine) {
            const auto at = m_lines.begin() + static_cast<std::ptrdiff_t>(*lookup.sectionLine + 1);
            m_lines.insert(at, std::move(keyLine));
            return true;
        }
        IniLine header{IniLineKind::Section, "[" + std::string(section) + "]"};
        // Room for both first, so a failure cannot leave a header without its key.
        m_lines.reserve(m_lines.size() + 2);
        m_lines.push_back(std::move(header));
        m_lines.push_back(std::move(keyLine));
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool IniFile::SetInt(std::string_view section, std::string_view key, int value)
{
    try {
        return SetString(section, key, std::to_string(value));
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool IniFile::SetBool(std::string_view section, std::string_view key, bool value)
{
    return SetString(section, key, value ? "1" : "0");
}

bool IniFile::Save(const std::string& path)
{
    bool saved = false;
    try {
        std::size_t size = 0;
        for (const IniLine& line : m_lines)
            size += line.text.size() + 2;
        std::string bytes;
        bytes.reserve(size);
        for (const IniLine& line : m_lines) {
            bytes += line.text;
            bytes += "\r\n";
        }
        saved = ReplaceFile(path, bytes);
    } catch (const std::bad_alloc&) {
        saved = false;
    }
    if (!saved)
        m_lines.clear();
    return saved;
}

void IniFile::Close()
{
    m_lines.clear();
}
