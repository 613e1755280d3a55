#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The text side of opening an address with the registered web browser: what a
// desktop entry says to run, how the address goes into it, and the key files
// that say which entry it is. Nothing here
// touches a process or a file, so every rule is tested on its own.

// The command template up to its placeholder for the document: a quoted
// placeholder ("%1", "%u", "%U", "%f", "%F" in double quotes) is looked for
// first, then a bare one ("%%" is a literal percent, never a placeholder).
// The template is cut at the first character of what was found; whatever
// followed is dropped. A template without a placeholder is returned whole.
std::string CutCommandTemplate(std::string_view commandTemplate);

// Splits a command line into arguments by the desktop-entry quoting rules:
// blanks separate, double quotes group (inside them a backslash escapes
// '"', '`', '$' and '\'), single quotes group literally, a bare backslash
// escapes the next character. Empty when a quote is left open.
std::optional<std::vector<std::string>> SplitCommandLine(std::string_view commandLine);

// The program and arguments that open url: the template cut at its
// placeholder, split into arguments, any remaining field codes removed
// ("%i", "%c", "%k" and the retired ones; "%%" becomes "%"), the file
// forwarding markers "@@", "@@u", "@@f" dropped, and url appended as exactly
// one more argument. Empty when the template names no program or is
// malformed.
std::optional<std::vector<std::string>> BuildLaunchCommand(std::string_view commandTemplate,
                                                          const std::string& url);

// The value of `key` in `group` of a desktop or mimeapps file's text, as
// written (trimmed, escapes kept); the first one counts. Empty when there is
// none.
std::optional<std::string> KeyFileValue(std::string_view fileText, std::string_view group, std::string_view key);

// The items of a ';'-separated list value, trimmed, empty ones dropped.
std::vector<std::string> KeyFileList(std::string_view value);

// The Exec value of the [Desktop Entry] group of a desktop file's text, with
// the file's own escapes ("\s", "\n", "\t", "\r", "\\") resolved and every
// other backslash left for SplitCommandLine. Empty when there is none.
std::optional<std::string> DesktopEntryExec(std::string_view fileText);

// Where a desktop file id may live below an applications/ folder: the id
// itself, then with each '-' read as a sub-folder ("kde4-browser.desktop"
// may be kde4/browser.desktop). Empty for an id that could leave the folder.
std::vector<std::string> DesktopFileCandidates(std::string_view desktopId);

// An argument for a Windows command line (the rules the C runtime and
// CommandLineToArgvW read back): quoted, inner quotes escaped, backslashes in
// front of a quote doubled.
std::string QuoteWindowsArgument(std::string_view argument);

// The Windows command line that opens url with a registered open command:
// the template cut at its placeholder, one blank, and url as one quoted
// argument. A quote the cut leaves open (a placeholder inside a quoted
// argument, "--url=%1") is closed first, so url always reaches the program
// as exactly one argument, its last.
std::string BuildWindowsCommandLine(std::string_view commandTemplate, const std::string& url);
