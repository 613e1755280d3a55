#include "CliOptions.h"

#include "OptionsSettings.h"
#include "OutputFormat.h"

#include <algorithm>
#include <cctype>
#include <functional>

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
            error = "unknown format '" + name +
                    "' (use bmp, jpg, gif, pcx, png, ico, tif, tga, raw, webp, avif or jxl)";
            return {};
        }
        codes.push_back(it->typeCode);
    }
    return codes;
}

// The common short names other tools use, each standing for one or more
// options of the table; those without a value stand for one setting.
struct Shortcut {
    std::vector<const char*> names;
    const char* value;  // what the help shows; nullptr: takes none
    const char* help;
    std::function<bool(const std::string& flag, const std::string& value, ConversionOptions&, std::string& error)> set;
};

bool SetByKey(const char* key, const std::string& flag, const std::string& value, ConversionOptions& options,
              std::string& error)
{
    return SetOptionFromText(*FindOption(key), value, options, flag, error);
}

const std::vector<Shortcut>& Shortcuts()
{
    static const std::vector<Shortcut> kShortcuts = {
        {{"-q", "--quality"}, "N", "quality of every lossy writer (JPG, WebP, AVIF), 1 to 100",
         [](const std::string& flag, const std::string& value, ConversionOptions& o, std::string& error) {
             return SetByKey("JpegQuality", flag, value, o, error) && SetByKey("WebpQuality", flag, value, o, error) &&
                    SetByKey("AvifQuality", flag, value, o, error);
         }},
        {{"--resize"}, "WxH", "fit within W x H pixels (never enlarging unless --never-enlarge off)",
         [](const std::string& flag, const std::string& value, ConversionOptions& o, std::string& error) {
             const std::size_t x = value.find_first_of("xX");
             ConversionOptions changed = o;
             std::string ignored;
             if (x == std::string::npos || !SetByKey("ResizeWidth", flag, value.substr(0, x), changed, ignored) ||
                 !SetByKey("ResizeHeight", flag, value.substr(x + 1), changed, ignored)) {
                 error = flag + " takes WIDTHxHEIGHT, each " + OptionRange(*FindOption("ResizeWidth")) + ", not '" +
                         value + "'";
                 return false;
             }
             o = changed;
             o.resize = ResizeMode::Fit;
             return true;
         }},
        {{"--max-side"}, "N", "make the longest side N pixels (never enlarging unless --never-enlarge off)",
         [](const std::string& flag, const std::string& value, ConversionOptions& o, std::string& error) {
             if (!SetByKey("MaxSide", flag, value, o, error))
                 return false;
             o.resize = ResizeMode::LongestSide;
             return true;
         }},
        {{"--no-gps"}, nullptr, "remove the location (GPS) from the metadata",
         [](const std::string&, const std::string&, ConversionOptions& o, std::string&) {
             o.removeGps = true;
             return true;
         }},
        {{"--keep-tree"}, nullptr, "keep the folder tree below each -r folder in the out folder",
         [](const std::string&, const std::string&, ConversionOptions& o, std::string&) {
             o.folders = FolderLayout::KeepTree;
             return true;
         }},
    };
    return kShortcuts;
}

const Shortcut* FindShortcut(const std::string& name)
{
    for (const Shortcut& shortcut : Shortcuts()) {
        for (const char* each : shortcut.names) {
            if (name == each)
                return &shortcut;
        }
    }
    return nullptr;
}

const OptionDefinition* FindOptionFlag(const std::string& name)
{
    for (const OptionDefinition& option : OptionDefinitions()) {
        if (name == option.longFlag)
            return &option;
    }
    return nullptr;
}

// An option flag as met, applied once the file of --options-from is read.
struct PendingOption {
    std::string flag;
    std::string value;
    const Shortcut* shortcut = nullptr;
    const OptionDefinition* option = nullptr;
};

std::string ValueWord(const OptionDefinition& option)
{
    switch (option.kind) {
    case OptionKind::Integer: return "N";
    case OptionKind::Decimal: return "X";
    case OptionKind::Flag: return "on|off";
    case OptionKind::Choice: break;
    }
    std::string names;
    for (const std::string& choice : option.choices)
        names += (names.empty() ? "" : "|") + choice;
    return names;
}

// "  --name VALUE" padded to the help's column, or on a line of its own
// when longer.
std::string HelpLine(const std::string& head, const std::string& text)
{
    constexpr std::size_t kColumn = 31;
    std::string line = "  " + head;
    line += line.size() + 1 < kColumn ? std::string(kColumn - line.size(), ' ') : "\n" + std::string(kColumn, ' ');
    return line + text + "\n";
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
    std::vector<PendingOption> pending;
    std::string optionsFile;
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
        if (const Shortcut* shortcut = FindShortcut(arg); shortcut && shortcut->value == nullptr) {
            pending.push_back(PendingOption{arg, "", shortcut, nullptr});
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
        const Shortcut* shortcut = FindShortcut(name);
        const OptionDefinition* option = FindOptionFlag(name);
        const bool known = name == "-f" || name == "--formats" || name == "-o" || name == "--out" || name == "-r"
                           || name == "--recursive" || name == "-j" || name == "--jobs" || name == "--options-from"
                           || (shortcut && shortcut->value) || option;
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
        if (shortcut || option) {
            pending.push_back(PendingOption{name, value, shortcut, option});
        } else if (name == "--options-from") {
            optionsFile = value;
        } else if (name == "-f" || name == "--formats") {
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
    // The file is the base; every option flag goes over it.
    if (options.error.empty() && !optionsFile.empty() &&
        !LoadOptionsSettings(optionsFile, options.conversion, &options.error))
        options.error = "--options-from: " + options.error;
    for (const PendingOption& p : pending) {
        if (!options.error.empty())
            break;
        if (p.shortcut)
            p.shortcut->set(p.flag, p.value, options.conversion, options.error);
        else
            SetOptionFromText(*p.option, p.value, options.conversion, p.flag, options.error);
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
    std::string text = R"(Usage: tessaglyph-convert -f FORMATS -o OUTDIR [-r DIR]... [--jobs N] [OPTION]... [FILE]...

Converts pictures into one or more of the formats bmp, jpg, gif, pcx, png,
ico, tif, tga, raw, webp, avif and jxl, as the Batch page of Tessaglyph does.

  -f, --formats LIST   formats to write, separated by commas (e.g. png,jpg)
  -o, --out DIR        folder to write into; it is not created
  -r, --recursive DIR  add every picture in DIR and all its subfolders (files
                       whose extension is one of a readable format, in any
                       case, hidden ones included)
  -j, --jobs N         worker processes to convert with (default: one per core)
  -h, --help           show this help and exit
      --worker         serve as a worker process of the converter (internal)

How pictures are written (the Options page's choices; each default is the
plain conversion). --options-from reads them first, every flag goes over it:
)";
    text += HelpLine("--options-from FILE", "the [Options] section of a settings file (config.ini)");
    for (const Shortcut& shortcut : Shortcuts()) {
        std::string head;
        for (const char* name : shortcut.names)
            head += (head.empty() ? "" : ", ") + std::string(name);
        if (shortcut.value)
            head += std::string(" ") + shortcut.value;
        text += HelpLine(head, shortcut.help);
    }
    const ConversionOptions defaults;
    for (const OptionDefinition& option : OptionDefinitions()) {
        text += HelpLine(std::string(option.longFlag) + " " + ValueWord(option),
                         std::string(option.help) + " (default " + OptionText(option, defaults) + ")");
    }
    text += R"(
Each output is named after its input without the input's last extension,
plus the format's extension: photo.tar.png gives OUTDIR/photo.tar.jpg. Files
are converted in alphabetical order without regard to case, each path once;
when two inputs give the same output name, the later one in that order wins
and the earlier one counts as not written (with --if-exists rename both are
written, with --keep-tree each keeps its folder). An existing output file is
replaced, keeping its permissions, unless --if-exists says skip (it is left
alone and reported skipped) or rename (the output gets the first free name
"photo (2).png", "photo (3).png", ...). An output that would replace any input
of the run, or a file without write permission, is not written.

Messages: "Convert picture OK." on standard output when every output was
written as asked; outputs skipped or renamed get a line each on standard
output ("<input>: skipped: the file exists", "<input>: written as
photo (2).png") and are counted after it. Otherwise one line per failed output
("<input>: <reason>") and a summary on standard error. On a terminal a
progress line is shown. Ctrl+C stops after the files in flight; a second
Ctrl+C stops those too, removing what they had begun.

Exit status:
  0  every output was written (or skipped, as asked)
  1  some outputs were not written (each is named on standard error)
  2  usage error, a bad option value, or nothing to convert; nothing was written
  3  stopped by Ctrl+C or SIGTERM before every file was converted
)";
    return text;
}
