#pragma once

#include "ConversionOptions.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Exit codes of tessaglyph-convert, also listed in its --help.
constexpr int kExitAllWritten = 0;
constexpr int kExitSomeFailed = 1;  // the run went through, some outputs were not written
constexpr int kExitUsage = 2;       // bad command line or nothing to convert; nothing was written
constexpr int kExitStopped = 3;     // interrupted; the files in flight were finished

struct CliOptions {
    bool help = false;
    bool worker = false;
    std::vector<std::uint32_t> typeCodes;  // in the format table's order, each once
    std::string outDir;
    std::vector<std::string> files;
    std::vector<std::string> folders;      // -r
    std::size_t jobs = 0;                  // 0: one per core
    ConversionOptions conversion;          // --options-from FILE first, then every option flag over it
    std::string error;                     // set when the command line is unusable
};

// Reads the arguments after the program name, and the file of
// --options-from. Never throws; a problem sets `error` to a one-line
// explanation (a bad option value names the flag and what it takes).
CliOptions ParseCommandLine(const std::vector<std::string>& args);

std::string HelpText();
