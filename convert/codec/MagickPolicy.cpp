#include "MagickPolicy.h"

#include "ReadableFormats.h"

#include <set>
#include <string_view>
#include <vector>

namespace {

// The coders PictureEncoder writes the nine output formats with (BMP3 is
// BMP without an alpha channel, RGB the headerless RAW output).
const std::vector<std::string_view> kWrittenCoders = {"BMP", "BMP3", "JPEG", "GIF", "PCX",
                                                      "PNG", "ICO",  "TIFF", "TGA", "RGB"};

std::string CoderList(const std::set<std::string_view>& coders)
{
    std::string list;
    for (std::string_view coder : coders) {
        if (!list.empty())
            list += ',';
        list += coder;
    }
    return "{" + list + "}";
}

std::string Rule(const char* rights, const std::set<std::string_view>& coders)
{
    return std::string("  <policy domain=\"coder\" rights=\"") + rights + "\" pattern=\"" + CoderList(coders) +
           "\"/>\n";
}

std::string Joined(const std::vector<std::string>& items, const char* before, const char* after)
{
    std::string text;
    for (const std::string& item : items) {
        if (!text.empty())
            text += ", ";
        text += before + item + after;
    }
    return text;
}

}  // namespace

std::string WorkerPolicyXml()
{
    std::set<std::string_view> readOnly;
    std::set<std::string_view> readWrite;
    std::set<std::string_view> writeOnly(kWrittenCoders.begin(), kWrittenCoders.end());
    for (const ReadableFormat& format : ReadableFormats()) {
        if (format.coder == nullptr)
            continue;
        if (writeOnly.erase(format.coder) > 0)
            readWrite.insert(format.coder);
        else if (readWrite.count(format.coder) == 0)
            readOnly.insert(format.coder);
    }
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!--\n"
        "  Tessaglyph's ImageMagick policy, read by its worker processes through\n"
        "  MAGICK_CONFIGURE_PATH. Generated at build time from the table of readable\n"
        "  formats: only the coders the format sniffer can pick may read, only the\n"
        "  coders of the output formats may write, and nothing may start another\n"
        "  program. The resource limits let a 100-megapixel photo through while a\n"
        "  decompression bomb fails early: a side over 65536 pixels is refused before\n"
        "  decoding, and pixel caches beyond memory and map go to disk (at most 8 GiB)\n"
        "  rather than into the worker's memory, which the worker caps itself. These\n"
        "  are ceilings: the codec sets the same or lower limits, and a policy only\n"
        "  ever lowers them.\n"
        "-->\n"
        "<policymap>\n"
        "  <policy domain=\"resource\" name=\"width\" value=\"65536\"/>\n"
        "  <policy domain=\"resource\" name=\"height\" value=\"65536\"/>\n"
        "  <policy domain=\"resource\" name=\"area\" value=\"200MP\"/>\n"
        "  <policy domain=\"resource\" name=\"memory\" value=\"1GiB\"/>\n"
        "  <policy domain=\"resource\" name=\"map\" value=\"512MiB\"/>\n"
        "  <policy domain=\"resource\" name=\"disk\" value=\"8GiB\"/>\n"
        "  <policy domain=\"resource\" name=\"list-length\" value=\"2048\"/>\n"
        "  <policy domain=\"delegate\" rights=\"none\" pattern=\"*\"/>\n"
        "  <policy domain=\"filter\" rights=\"none\" pattern=\"*\"/>\n"
        "  <policy domain=\"path\" rights=\"none\" pattern=\"@*\"/>\n"
        "  <policy domain=\"coder\" rights=\"none\" pattern=\"*\"/>\n";
    xml += Rule("read", readOnly);
    xml += Rule("read|write", readWrite);
    xml += Rule("write", writeOnly);
    xml += "</policymap>\n";
    return xml;
}

std::string ReadmeFormatTable()
{
    std::string table = "| format | recognised by | read with | extensions (folder scan, open dialogs) |\n"
                        "|---|---|---|---|\n";
    for (const ReadableFormat& format : ReadableFormats()) {
        std::string reader;
        switch (format.reader) {
        case PictureReader::Magick:
            reader = "ImageMagick";
            break;
        case PictureReader::CameraRawFirst:
            reader = "LibRaw when it knows the file, else ImageMagick";
            break;
        case PictureReader::CameraRaw:
            reader = "LibRaw";
            break;
        case PictureReader::Jxl:
            reader = "libjxl";
            break;
        }
        table += std::string("| ") + format.name + " | " + format.signature + " | " + reader + " | " +
                 Joined(format.extensions, "`.", "`") + " |\n";
    }
    return table;
}
