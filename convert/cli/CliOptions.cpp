#include "CliOptions.h"

#include "OutputFormat.h"

#include <algorithm>
#include <cctype>

namespace {

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// "png,JPG,tiff" to type codes as named; an unknown name sets `error`.
std::vector<std::uint32_t> ParseFormats(const std::string& list, std::string& error)
{
    std::vector<std::uint32_t> codes;
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t comma = std::min(list.find(',', start), list.size());
        std::string name = Lower(list.substr(start, comma - start));
        start = comma + 1;
        if (name.empty())
            continue;
        if (name == "jpeg")
            name = "jpg";
        else if (name == "tiff")
            name = "tif";
        const auto& formats = OutputFormats();
        const auto it = std::find_if(formats.begin(), formats.end(),
                                     [&](const OutputFormat& f) { return name == f.extension + 1; });
        if (it == formats.end()) {
            error = "unknown format '" + name + "' (use bmp, jpg, gif, pcx, png, ico, tif, tga or raw)";
            return {};
        }
        codes.push_back(it->typeCode);
    }
    return codes;
}

bool ParseJobs(const std::string& text, std::size_t& jobs)
{
    if (text.empty() || text.size() > 3 || !std::all_of(text.begin(), text.end(), ::isdigit))
        return false;
    jobs = std::stoul(text);
    return jobs >= 1 && jobs <= 256;
}

}  // namespace

CliOptions ParseCommandLine(const std::vector<std::string>& args)
{
    CliOptions options;
    bool onlyFiles = false;
    for (std::size_t i = 0; i < args.size() && options.error.empty(); ++i) {
        const std::string& arg = args[i];
        if (onlyFiles || arg.empty() || arg[0] != '-' || arg == "-") {
            options.files.push_back(arg);
            continue;
        }
        if (arg == "--") {
            onlyFiles = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            continue;
        }
        if (arg == "--worker") {
            options.worker = true;
            continue;
        }
        // Options with a value take it from the next argument or after '='.
        std::string name = arg;
        std::string value;
        bool hasValue = false;
        const std::size_t equals = arg.find('=');
        if (arg.rfind("--", 0) == 0 && equals != std::string::npos) {
            name = arg.substr(0, equals);
            value = arg.substr(equals + 1);
            hasValue = true;
        }
        const bool known = name == "-f" || name == "--formats" || name == "-o" || name == "--out" || name == "-r"
                           || name == "--recursive" || name == "-j" || name == "--jobs";
        if (!known) {
            options.error = "unknown option '" + arg + "'";
            break;
        }
        if (!hasValue) {
            if (i + 1 == args.size()) {
                options.error = "option '" + arg + "' needs a value";
                break;
            }
            value = args[++i];
        }
        if (name == "-f" || name == "--formats") {
            const auto codes = ParseFormats(value, options.error);
            options.typeCodes.insert(options.typeCodes.end(), codes.begin(), codes.end());
        } else if (name == "-o" || name == "--out") {
            options.outDir = value;
        } else if (name == "-r" || name == "--recursive") {
            options.folders.push_back(value);
        } else if (!ParseJobs(value, options.jobs)) {
            options.error = "--jobs needs a number from 1 to 256";
        }
    }
    // Every format named, in one table-ordered list, each once.
    std::vector<std::uint32_t> ordered;
    for (const OutputFormat& f : OutputFormats()) {
        if (std::find(options.typeCodes.begin(), options.typeCodes.end(), f.typeCode) != options.typeCodes.end())
            ordered.push_back(f.typeCode);
    }
    options.typeCodes = ordered;
    return options;
}

std::string HelpText()
{
    return R"(Usage: tessaglyph-convert -f FORMATS -o OUTDIR [-r DIR]... [--jobs N] [FILE]...

Converts pictures into one or more of the formats bmp, jpg, gif, pcx, png,
ico, tif, tga and raw, as the Batch page of Tessaglyph does.

  -f, --formats LIST   formats to write, separated by commas (e.g. png,jpg)
  -o, --out DIR        folder to write into; it is not created
  -r, --recursive DIR  add every picture in DIR and all its subfolders (files
                       whose names end in one of the nine extensions, in any
                       case, hidden ones included)
  -j, --jobs N         worker processes to convert with (default: one per core)
  -h, --help           show this help and exit
      --worker         serve as a worker process of the converter (internal)

Each output is named after its input without the input's last extension,
plus the format's extension: photo.tar.png gives OUTDIR/photo.tar.jpg. Files
are converted in alphabetical order without regard to case, each path once;
when two inputs give the same output name, the later one in that order wins
and the earlier one counts as not written. An existing output file is
replaced, keeping its permissions; an output that would replace any input of
the run, or a file without write permission, is not written.

Messages: "Convert picture OK." on standard output when every output was
written; otherwise one line per failed output ("<input>: <reason>") and a
summary on standard error. On a terminal a progress line is shown. Ctrl+C
stops after the files in flight; a second Ctrl+C stops those too, removing
what they had begun.

Exit status:
  0  every output was written
  1  some outputs were not written (each is named on standard error)
  2  usage error or nothing to convert; nothing was written
  3  stopped by Ctrl+C or SIGTERM before every file was converted
)";
}
