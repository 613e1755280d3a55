#pragma once

#include <string>
#include <string_view>
#include <vector>

// The picture formats the program reads, one row each. The folder scan and the
// open-file dialogs take their file extensions from here.
struct ReadableFormat {
    const char* name;                     // as people call it ("JPEG")
    std::vector<std::string> extensions;  // lower case, without the dot
};

const std::vector<ReadableFormat>& ReadableFormats();

// Every extension of the table, lower case, without the dot, in table order.
const std::vector<std::string>& ReadablePictureExtensions();

// True when the file name's extension (after its last full stop, in any case)
// is one of ReadablePictureExtensions(). A full stop in a folder name never
// counts, and a name that is only an extension (".png") has none.
bool HasReadableExtension(std::string_view path);
