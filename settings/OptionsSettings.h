#pragma once

#include "ConversionOptions.h"

#include <string>

// Section "Options" of the settings file: one key per option, its value as
// the command line writes it. A file without the section, or a key without a
// usable value, gives that option's default.
constexpr const char* kOptionsSection = "Options";

// Reads the section. With `error` given, a value that is not one of its
// option's ("JpegQuality takes a whole number from 1 to 100, not 'x'") or a
// file that cannot be read makes it false; without, such values keep their
// defaults and the result is true.
bool LoadOptionsSettings(const std::string& configPath, ConversionOptions& options, std::string* error = nullptr);

// Writes every option of the section, leaving every other section and line
// as it is (the file is read again first). False when it cannot be written.
bool SaveOptionsSettings(const std::string& configPath, const ConversionOptions& options);
