#pragma once

#include <cstddef>
#include <string>

// The texts a conversion shows the user, shared by the Single page, the batch
// run and the command-line converter.

inline constexpr char kMsgSelectInAndOut[] = "Please select in file and Out folder.";
inline constexpr char kMsgSelectOutType[] = "Please select out file type.";
inline constexpr char kMsgConvertOk[] = "Convert picture OK.";
// First line of the message when anything was not written; one line per
// output not written ("<path>: <reason>") follows.
inline constexpr char kMsgConvertFailed[] = "Convert picture failed.";

// What an output file that is handled but not written as named says:
// "skipped: the file exists" (the options say skip), or "written as <name>"
// (the options say add a number and the name was taken).
inline constexpr char kMsgSkippedExists[] = "skipped: the file exists";
std::string WrittenAsLine(const std::string& finalPath);

// The closing lines that count the outputs skipped and written under a new
// name, each on a line of its own after a newline ("\n2 output files were
// skipped: they exist."); "" when both are 0, so a plain run keeps its text.
std::string SkippedAndRenamedCounts(std::size_t skipped, std::size_t renamed);
