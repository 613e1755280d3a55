#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The picture formats the program reads, one row each. Everything that
// depends on which formats are read comes from this table: the sniffer that
// picks a reader from a file's first bytes, the ImageMagick policy of the
// workers (generated from it at build time), the folder scan's and the
// open-file dialogs' extensions, the desktop entry's MIME types and the
// README's list.

// Who decodes a format.
enum class PictureReader {
    Magick,          // ImageMagick, with the row's coder
    CameraRawFirst,  // LibRaw if it knows the bytes, else ImageMagick (TIFF containers)
    CameraRaw,       // LibRaw only
    Jxl,             // libjxl only
};

// A signature test on a file's first bytes; `size` may be short of the whole file.
using SignatureTest = bool (*)(const std::uint8_t* data, std::size_t size);

struct ReadableFormat {
    const char* name;                     // as people call it ("JPEG")
    std::vector<std::string> extensions;  // lower case, without the dot
    std::vector<std::string> mimeTypes;   // as the desktop's shared MIME database names them
    const char* coder;                    // the ImageMagick coder; nullptr when LibRaw or libjxl reads it
    PictureReader reader;
    const char* signature;                // how it is recognised, in words (README)
    // nullptr: the format has no signature and is taken only when the file's
    // name gives `byNameType`, after every other row failed (TGA).
    SignatureTest matches;
    std::uint32_t byNameType;
};

const std::vector<ReadableFormat>& ReadableFormats();

// How many bytes of a file's start the signature tests need at most.
constexpr std::size_t kSignatureBytes = 4096;

// Every extension of the table, lower case, without the dot, in table order.
const std::vector<std::string>& ReadablePictureExtensions();

// True when the file name's extension (after its last full stop, in any case)
// is one of ReadablePictureExtensions(). A full stop in a folder name never
// counts, and a name that is only an extension (".png") has none.
bool HasReadableExtension(std::string_view path);
