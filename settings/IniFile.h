#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What a line of the file is. Decided once when the file is read, from the
// line's text without its comment; lines the store makes take the kind of the
// operation that made them.
enum class IniLineKind {
    Section,  // after leading blanks, "[" with a "]" somewhere after it
    Key,      // otherwise, holds a "="
    Other,    // blank lines, comment lines, anything else
};

struct IniLine {
    IniLineKind kind = IniLineKind::Other;
    std::string text;  // the whole line without its line end, comment included
};

// What FindKey found. Line positions index IniFile::Lines() and stay valid
// only until the next setter or Open.
struct IniKeyLookup {
    std::optional<std::size_t> sectionLine;  // the matching header, if any
    std::optional<std::size_t> keyLine;      // the matching key line, if any
    std::string key;                         // as written in the file
    std::string value;                       // unquoted when it was quoted
    std::string comment;                     // from its ";" to the line end, or empty
};

// A plain-text INI file held in memory as its ordered list of lines.
//
// Every line the store does not change is written back byte for byte; only
// line ends become CR LF. A ";" starts a comment, except inside a value that
// begins with a double quote: such a value runs to its closing quote, and ""
// inside it stands for one quote. Setters write values holding ";" or
// beginning with a quote in that quoted form, so every value they take reads
// back exactly. Section and key names compare without regard to the case of
// the ASCII letters; the first matching header and the first matching key win.
//
// Not thread-safe; one store per caller. No file stays open between calls.
class IniFile {
public:
    // Empties the store, then reads `path`. An absent file is created empty.
    // False (store empty) when the path is empty, names something other than
    // a regular file, or can neither be read nor created.
    bool Open(const std::string& path);

    // The value of `key` in `section`, or `fallback` when either is absent.
    // A key present with nothing after "=" gives the empty text.
    std::string GetString(std::string_view section, std::string_view key,
                          std::string_view fallback) const;
    // The value read like atoi (leading white space, a sign, digits; no
    // digits give 0), clamped to the range of int; `fallback` when absent.
    int GetInt(std::string_view section, std::string_view key, int fallback) const;
    // GetInt of the value, other than zero; `fallback` when absent.
    bool GetBool(std::string_view section, std::string_view key, bool fallback) const;

    // Rewrite the first matching key line in place (keeping the key's letters
    // as in the file and the line's comment), or insert "key=value" directly
    // after the section's header, or append the header and the key line at
    // the end. False, with the store unchanged, when a text holds CR or LF,
    // the key holds "=" or ";" or begins (after blanks) with "[", the section
    // name holds ";", or memory runs out: such names could not be found again.
    bool SetString(std::string_view section, std::string_view key, std::string_view value);
    bool SetInt(std::string_view section, std::string_view key, int value);
    bool SetBool(std::string_view section, std::string_view key, bool value);

    // Writes every line followed by CR LF to `path`, through a temporary file
    // in the same folder that is flushed to disk and renamed over the old
    // file, so the old file stays whole if anything fails. Where the folder
    // cannot be written but the file can, the file is rewritten in place.
    // False when the path is not a regular file (or absent), the existing
    // file is not writable, or writing fails; a failed Save empties the store.
    bool Save(const std::string& path);

    // Empties the store.
    void Close();

    // The first Section line whose whole text is "[name]", ignoring ASCII case.
    std::optional<std::size_t> FindSection(std::string_view name) const;
    // The first Key line in the body of FindSection(section) whose key matches.
    IniKeyLookup FindKey(std::string_view section, std::string_view key) const;

    const std::vector<IniLine>& Lines() const { return m_lines; }

private:
    std::vector<IniLine> m_lines;
};
