#include "FuzzChecks.h"

#include "FuzzInput.h"
#include "FuzzScratch.h"
#include "ScratchFolder.h"

#include "IniFile.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct SetRequest {
    std::string section;
    std::string key;
    std::string value;
    bool existing = false;  // names a key line of the file, so it must be rewritten in place
};

bool SameLines(const std::vector<IniLine>& a, const std::vector<IniLine>& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].text != b[i].text || a[i].kind != b[i].kind)
            return false;
    }
    return true;
}

// The documented reasons for a setter to refuse.
bool StorableNames(std::string_view section, std::string_view key, std::string_view value)
{
    auto hasBreak = [](std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; };
    if (hasBreak(section) || hasBreak(key) || hasBreak(value))
        return false;
    if (section.find(';') != std::string_view::npos || key.find_first_of("=;") != std::string_view::npos)
        return false;
    const std::size_t first = key.find_first_not_of(" \t");
    return first == std::string_view::npos || key[first] != '[';
}

std::string SwapAsciiCase(std::string text)
{
    for (char& c : text) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        else if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

// The first key line of the first section the store can find by name, with
// the names in swapped case: setting it must rewrite that very line.
std::optional<SetRequest> ExistingKey(const IniFile& store, const std::string& value)
{
    const std::vector<IniLine>& lines = store.Lines();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& header = lines[i].text;
        if (lines[i].kind != IniLineKind::Section || header.size() < 2 || header.front() != '[' ||
            header.back() != ']')
            continue;
        const std::string section = header.substr(1, header.size() - 2);
        if (store.FindSection(section) != i)
            continue;
        for (std::size_t k = i + 1; k < lines.size() && lines[k].kind != IniLineKind::Section; ++k) {
            if (lines[k].kind == IniLineKind::Key)
                return SetRequest{SwapAsciiCase(section), SwapAsciiCase(lines[k].text.substr(0, lines[k].text.find('='))),
                                  value, true};
        }
        return std::nullopt;
    }
    return std::nullopt;
}

// How many lines at the start and at the end two line lists share.
void CommonEnds(const std::vector<IniLine>& a, const std::vector<IniLine>& b, std::size_t& prefix, std::size_t& suffix)
{
    auto same = [](const IniLine& x, const IniLine& y) { return x.text == y.text && x.kind == y.kind; };
    const std::size_t shorter = a.size() < b.size() ? a.size() : b.size();
    prefix = 0;
    while (prefix < shorter && same(a[prefix], b[prefix]))
        ++prefix;
    suffix = 0;
    while (suffix < shorter - prefix && same(a[a.size() - 1 - suffix], b[b.size() - 1 - suffix]))
        ++suffix;
}

std::string CheckSet(const IniFile& original, const SetRequest& set, const std::string& savePath)
{
    IniFile store = original;
    const bool stored = store.SetString(set.section, set.key, set.value);
    if (!stored) {
        if (!SameLines(store.Lines(), original.Lines()))
            return "a refused SetString changed the store";
        if (StorableNames(set.section, set.key, set.value))
            return "SetString refused names it documents as storable";
        return {};
    }
    if (!StorableNames(set.section, set.key, set.value))
        return "SetString took names it documents as refused";
    if (store.GetString(set.section, set.key, "\x01 fallback") != set.value)
        return "GetString does not give the value SetString set";

    std::size_t prefix = 0;
    std::size_t suffix = 0;
    CommonEnds(original.Lines(), store.Lines(), prefix, suffix);
    const std::size_t removed = original.Lines().size() - prefix - suffix;
    const std::size_t added = store.Lines().size() - prefix - suffix;
    const bool rewrote = removed == 1 && added == 1;
    const bool inserted = removed == 0 && added == 1;
    const bool appended = removed == 0 && added == 2 && suffix == 0;
    // A rewrite that leaves the line as it was shows as no change at all.
    const bool unchanged = removed == 0 && added == 0;
    if (!rewrote && !inserted && !appended && !unchanged)
        return "SetString changed lines it did not set";
    if (set.existing && !rewrote && !unchanged)
        return "SetString on an existing key (names in another case) did not rewrite its line";

    if (!store.Save(savePath))
        return "Save failed after SetString";
    IniFile reread;
    if (!reread.Open(savePath))
        return "the saved file cannot be opened";
    if (!SameLines(reread.Lines(), store.Lines()))
        return "a line SetString made reads back as another line or kind";
    if (reread.GetString(set.section, set.key, "\x01 fallback") != set.value)
        return "the value SetString set does not survive save and reload";

    // Numbers read back as set, whatever the file held before.
    const int number = static_cast<int>(set.value.size() * 2654435761u) ^ static_cast<int>(0x80000000u);
    IniFile numbers = original;
    if (numbers.SetInt(set.section, set.key, number) && numbers.GetInt(set.section, set.key, 0) != number)
        return "GetInt does not give the number SetInt set";
    return {};
}

}  // namespace

std::string CheckIniFile(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    std::optional<SetRequest> explicitSet;
    {
        FuzzInput probe = input;
        auto section = probe.Field();
        auto key = probe.Field();
        auto value = probe.Field();
        if (section && key && value) {
            explicitSet = SetRequest{*section, *key, *value, false};
            input = probe;
        }
    }

    const std::string& folder = FuzzScratchFolder();
    const std::string filePath = folder + "/config.ini";
    const std::string savePath = folder + "/saved.ini";
    if (!WriteFile(filePath, input.Rest()))
        return {};  // no room to test in; not the store's fault

    IniFile original;
    if (!original.Open(filePath))
        return "Open failed on a regular file";
    IniFile copy = original;
    if (!copy.Save(savePath))
        return "Save failed";
    IniFile reread;
    if (!reread.Open(savePath))
        return "the saved file cannot be opened";
    if (!SameLines(reread.Lines(), original.Lines()))
        return "load, save and reload changed a line";

    if (explicitSet) {
        const std::string failure = CheckSet(original, *explicitSet, savePath);
        if (!failure.empty())
            return failure;
    }
    if (auto existing = ExistingKey(original, explicitSet ? explicitSet->value : "a;\"quoted\" value")) {
        const std::string failure = CheckSet(original, *existing, savePath);
        if (!failure.empty())
            return failure;
    }
    return {};
}
