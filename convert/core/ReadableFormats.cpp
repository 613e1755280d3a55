#include "ReadableFormats.h"

#include "Naming.h"

#include <algorithm>

const std::vector<ReadableFormat>& ReadableFormats()
{
    static const std::vector<ReadableFormat> kFormats = {
        {"BMP", {"bmp", "dib"}},
        {"GIF", {"gif"}},
        {"JPEG", {"jpg", "jpeg", "jpe", "jfif"}},
        {"PNG", {"png"}},
        {"ICO", {"ico"}},
        {"CUR", {"cur"}},
        {"TIFF", {"tif", "tiff"}},
        {"PCX", {"pcx"}},
        {"WebP", {"webp"}},
        {"HEIC", {"heic", "heif"}},
        {"Netpbm", {"pnm", "ppm", "pgm", "pbm", "pam"}},
        {"TGA", {"tga"}},
        {"camera raw", {"raw", "nef", "nrw", "cr2", "cr3", "crw", "arw", "srf", "sr2", "dng", "orf", "rw2",
                        "pef", "raf", "srw", "kdc", "dcr", "mrw", "erf", "3fr", "mos", "rwl", "iiq", "x3f"}},
    };
    return kFormats;
}

const std::vector<std::string>& ReadablePictureExtensions()
{
    static const std::vector<std::string> kExtensions = [] {
        std::vector<std::string> all;
        for (const ReadableFormat& format : ReadableFormats())
            all.insert(all.end(), format.extensions.begin(), format.extensions.end());
        return all;
    }();
    return kExtensions;
}

bool HasReadableExtension(std::string_view path)
{
    const std::string_view name = FileNameFromPath(path);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0 || dot + 1 == name.size())
        return false;
    std::string extension(name.substr(dot + 1));
    // ASCII only: the bytes of a multibyte character are never letters here.
    for (char& c : extension) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    const std::vector<std::string>& known = ReadablePictureExtensions();
    return std::find(known.begin(), known.end(), extension) != known.end();
}
