#pragma once

#include "PathSeparator.h"

#include <string>
#include <string_view>

// The folder with one final separator, added when it has none; "" stays "".
std::string WithFinalSeparator(std::string folder);

// The folder without its final separator; a root ("/") keeps its only one,
// which alone names it.
std::string WithoutFinalSeparator(std::string folder);

// What follows the last separator: the file's own name.
std::string_view FileNameFromPath(std::string_view path);

// The file name after the last separator, without its last dot and what
// follows ("a.b.png" gives "a.b", "readme" stays "readme"). A dot in a folder
// name never counts. UTF-8 is safe here: '/' and '.' never occur inside a
// multibyte character.
std::string TitleFromPath(std::string_view path);

// The output path without extension: the folder, one separator unless the
// folder already ends in one, and the title.
std::string OutputBasePath(std::string_view folder, std::string_view title);
