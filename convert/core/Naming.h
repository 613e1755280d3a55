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

// The name an output takes when its own is taken and the options say add a
// number: "<folder>/<stem> (n)<extension>", the number before the last
// extension ("photo.png", 2 gives "photo (2).png"; "notes" gives
// "notes (2)"). A name's leading dot starts no extension (".png (2)").
// n below 2 gives the path itself.
std::string NumberedPath(std::string_view path, unsigned n);

// The folder an output of `input` goes to when the folder tree is kept: the
// out folder, then the folders between `root` (the folder a scan started
// from) and the input ("/in/a/b/x.png" below "/in" into "/out" gives
// "/out/a/b"). An input not below `root`, or with no root, goes to the out
// folder itself. The result has no final separator unless it is a root.
std::string TreeOutputFolder(std::string_view outDir, std::string_view root, std::string_view input);
