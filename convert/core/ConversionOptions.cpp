#include "ConversionOptions.h"

#include <cmath>
#include <cstdlib>
#include <sstream>

namespace {

using O = ConversionOptions;

std::string Lower(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

// Rows are made from a member pointer by these templates, so each option is
// named once and read and written through one pair of functions.
template <int O::*Member>
OptionDefinition IntegerRow(const char* key, const char* flag, const char* help, int minimum, int maximum)
{
    return {key, flag, help, OptionKind::Integer, double(minimum), double(maximum), {},
            [](const O& o) { return double(o.*Member); },
            [](O& o, double v) { o.*Member = static_cast<int>(v); }};
}

template <double O::*Member>
OptionDefinition DecimalRow(const char* key, const char* flag, const char* help, double minimum, double maximum)
{
    return {key, flag, help, OptionKind::Decimal, minimum, maximum, {},
            [](const O& o) { return o.*Member; },
            [](O& o, double v) { o.*Member = v; }};
}

template <bool O::*Member>
OptionDefinition FlagRow(const char* key, const char* flag, const char* help)
{
    return {key, flag, help, OptionKind::Flag, 0, 1, {},
            [](const O& o) { return o.*Member ? 1.0 : 0.0; },
            [](O& o, double v) { o.*Member = v != 0; }};
}

template <typename Enum, Enum O::*Member>
OptionDefinition ChoiceRow(const char* key, const char* flag, const char* help, std::vector<std::string> names)
{
    const double last = double(names.size() - 1);
    return {key, flag, help, OptionKind::Choice, 0, last, std::move(names),
            [](const O& o) { return double(static_cast<int>(o.*Member)); },
            [](O& o, double v) { o.*Member = static_cast<Enum>(static_cast<int>(v)); }};
}

std::string NumberText(double value)
{
    std::ostringstream text;
    text << value;
    return text.str();
}

bool ParseFlag(std::string_view text, double& value)
{
    const std::string word = Lower(text);
    for (const char* on : {"1", "on", "true", "yes"}) {
        if (word == on) {
            value = 1;
            return true;
        }
    }
    for (const char* off : {"0", "off", "false", "no"}) {
        if (word == off) {
            value = 0;
            return true;
        }
    }
    return false;
}

bool ParseNumber(const OptionDefinition& option, std::string_view text, double& value)
{
    const std::string copy(text);
    if (copy.empty() || copy.size() > 24)
        return false;
    for (char c : copy) {
        const bool digit = c >= '0' && c <= '9';
        if (!digit && !(option.kind == OptionKind::Decimal && c == '.'))
            return false;
    }
    char* end = nullptr;
    value = std::strtod(copy.c_str(), &end);
    return end == copy.c_str() + copy.size() && std::isfinite(value) && value >= option.minimum &&
           value <= option.maximum;
}

}  // namespace

bool ConversionOptions::operator==(const ConversionOptions& other) const
{
    for (const OptionDefinition& option : OptionDefinitions()) {
        if (option.get(*this) != option.get(other))
            return false;
    }
    return true;
}

const std::vector<OptionDefinition>& OptionDefinitions()
{
    static const std::vector<OptionDefinition> kOptions = {
        IntegerRow<&O::jpegQuality>("JpegQuality", "--jpeg-quality", "JPG quality", 1, 100),
        ChoiceRow<ChromaChoice, &O::jpegChroma>("JpegChroma", "--jpeg-chroma",
                                                "JPG chroma sampling (auto: a JPEG's own, else 4:4:4)",
                                                {"auto", "444", "420"}),
        FlagRow<&O::jpegProgressive>("JpegProgressive", "--jpeg-progressive", "progressive JPG"),
        IntegerRow<&O::webpQuality>("WebpQuality", "--webp-quality", "WebP quality (lossy)", 1, 100),
        ChoiceRow<LosslessChoice, &O::webpLossless>("WebpLossless", "--webp-lossless",
                                                    "WebP lossless (auto: drawings lossless, photos lossy)",
                                                    {"auto", "on", "off"}),
        IntegerRow<&O::avifQuality>("AvifQuality", "--avif-quality", "AVIF quality", 1, 100),
        IntegerRow<&O::avifSpeed>("AvifSpeed", "--avif-speed", "AVIF encoder speed (0 slowest)", 0, 10),
        DecimalRow<&O::jxlDistance>("JxlDistance", "--jxl-distance",
                                    "JPEG XL distance (0 lossless, 1 visually lossless)", 0, 15),
        FlagRow<&O::jxlLosslessJpeg>("JxlLosslessJpeg", "--jxl-lossless-jpeg",
                                     "JPEG inputs recompressed losslessly into JPEG XL"),
        ChoiceRow<PngEffort, &O::png>("PngCompression", "--png-compression", "PNG compression",
                                      {"fast", "balanced", "smallest"}),
        ChoiceRow<ResizeMode, &O::resize>("Resize", "--resize-mode", "resize (fit: within width x height)",
                                          {"none", "fit", "longest"}),
        IntegerRow<&O::resizeWidth>("ResizeWidth", "--resize-width", "width to fit within", 1, 65535),
        IntegerRow<&O::resizeHeight>("ResizeHeight", "--resize-height", "height to fit within", 1, 65535),
        IntegerRow<&O::maxSide>("MaxSide", "--max-side-length", "longest side", 1, 65535),
        FlagRow<&O::neverEnlarge>("NeverEnlarge", "--never-enlarge", "never make a picture larger"),
        ChoiceRow<MetadataChoice, &O::metadata>("Metadata", "--metadata",
                                                "metadata kept: everything, the colour profile, nothing",
                                                {"keep", "profile", "strip"}),
        FlagRow<&O::removeGps>("RemoveGps", "--remove-gps", "remove the location (GPS) from the metadata"),
        ChoiceRow<ExistingFiles, &O::ifExists>("IfExists", "--if-exists", "when an output file exists",
                                               {"replace", "skip", "rename"}),
        ChoiceRow<FolderLayout, &O::folders>("Folders", "--folders",
                                             "batch outputs: all in the out folder, or the scanned tree kept",
                                             {"flat", "tree"}),
    };
    return kOptions;
}

const OptionDefinition* FindOption(std::string_view key)
{
    const std::string wanted = Lower(key);
    for (const OptionDefinition& option : OptionDefinitions()) {
        if (Lower(option.key) == wanted)
            return &option;
    }
    return nullptr;
}

std::string OptionText(const OptionDefinition& option, const ConversionOptions& options)
{
    const double value = option.get(options);
    switch (option.kind) {
    case OptionKind::Choice:
        return option.choices[static_cast<std::size_t>(value)];
    case OptionKind::Flag:
        return value != 0 ? "1" : "0";
    default:
        return NumberText(value);
    }
}

std::string OptionRange(const OptionDefinition& option)
{
    switch (option.kind) {
    case OptionKind::Integer:
        return "a whole number from " + NumberText(option.minimum) + " to " + NumberText(option.maximum);
    case OptionKind::Decimal:
        return "a number from " + NumberText(option.minimum) + " to " + NumberText(option.maximum);
    case OptionKind::Flag:
        return "on or off";
    case OptionKind::Choice:
        break;
    }
    std::string names;
    for (std::size_t i = 0; i < option.choices.size(); ++i) {
        if (i > 0)
            names += i + 1 == option.choices.size() ? " or " : ", ";
        names += option.choices[i];
    }
    return names;
}

bool SetOptionFromText(const OptionDefinition& option, std::string_view text, ConversionOptions& options,
                       const std::string& name, std::string& error)
{
    double value = 0;
    bool ok = false;
    switch (option.kind) {
    case OptionKind::Integer:
    case OptionKind::Decimal:
        ok = ParseNumber(option, text, value);
        break;
    case OptionKind::Flag:
        ok = ParseFlag(text, value);
        break;
    case OptionKind::Choice:
        for (std::size_t i = 0; i < option.choices.size() && !ok; ++i) {
            ok = Lower(text) == option.choices[i];
            value = double(i);
        }
        break;
    }
    if (!ok) {
        error = name + " takes " + OptionRange(option) + ", not '" + std::string(text) + "'";
        return false;
    }
    option.set(options, value);
    return true;
}

std::string OptionsToText(const ConversionOptions& options)
{
    const ConversionOptions defaults;
    std::string text;
    for (const OptionDefinition& option : OptionDefinitions()) {
        if (option.get(options) != option.get(defaults))
            text += std::string(option.key) + "=" + OptionText(option, options) + "\n";
    }
    return text;
}

bool OptionsFromText(std::string_view text, ConversionOptions& options, std::string& error)
{
    options = ConversionOptions();
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (line.empty())
            continue;
        const std::size_t equals = line.find('=');
        const OptionDefinition* option = equals == std::string_view::npos ? nullptr : FindOption(line.substr(0, equals));
        if (option == nullptr) {
            error = "unknown option line '" + std::string(line) + "'";
            return false;
        }
        if (!SetOptionFromText(*option, line.substr(equals + 1), options, option->key, error))
            return false;
    }
    return true;
}
