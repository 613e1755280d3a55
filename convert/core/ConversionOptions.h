#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The choices a user can make about how pictures are written: one definition
// for the Options page, the [Options] section of the settings file, the
// command-line flags and the jobs sent to the workers. Every default is the
// behaviour without options, so a user who never sets one gets exactly that.

enum class ChromaChoice { Automatic, Full, Half };           // JPG: input's own / 4:4:4, 4:2:0
enum class LosslessChoice { Automatic, On, Off };            // WebP: by picture kind / always / never
enum class PngEffort { Fast, Balanced, Smallest };
enum class ResizeMode { None, Fit, LongestSide };
enum class MetadataChoice { Keep, ProfileOnly, Strip };
enum class ExistingFiles { Replace, Skip, Rename };
enum class FolderLayout { OutFolder, KeepTree };

struct ConversionOptions {
    int jpegQuality = 90;
    ChromaChoice jpegChroma = ChromaChoice::Automatic;
    bool jpegProgressive = false;
    int webpQuality = 90;
    LosslessChoice webpLossless = LosslessChoice::Automatic;
    int avifQuality = 81;  // quantizer 12 on libavif's 0-63 scale
    int avifSpeed = 6;
    double jxlDistance = 1.0;
    bool jxlLosslessJpeg = true;
    PngEffort png = PngEffort::Balanced;
    ResizeMode resize = ResizeMode::None;
    int resizeWidth = 1920;   // Fit: the box the picture must fit in
    int resizeHeight = 1080;
    int maxSide = 1920;       // LongestSide
    bool neverEnlarge = true;
    MetadataChoice metadata = MetadataChoice::Keep;
    bool removeGps = false;
    ExistingFiles ifExists = ExistingFiles::Replace;
    FolderLayout folders = FolderLayout::OutFolder;

    bool operator==(const ConversionOptions& other) const;
    bool operator!=(const ConversionOptions& other) const { return !(*this == other); }
};

enum class OptionKind {
    Integer,  // whole numbers from minimum to maximum
    Decimal,  // decimal numbers from minimum to maximum ("1.5")
    Choice,   // one of `choices`, by name
    Flag,     // on or off ("1", "0", "on", "off", "true", "false", "yes", "no")
};

struct OptionDefinition {
    const char* key;        // in the settings file's [Options] section
    const char* longFlag;   // on the command line ("--jpeg-quality VALUE")
    const char* help;       // one line for --help
    OptionKind kind;
    double minimum;         // Integer, Decimal
    double maximum;
    std::vector<std::string> choices;  // Choice: the names, in the enum's order
    // The option's value as a number: the integer, the decimal, the choice's
    // index, 1 or 0 for a flag.
    double (*get)(const ConversionOptions&);
    void (*set)(ConversionOptions&, double);
};

// Every option, in the order the page shows them and the file lists them.
const std::vector<OptionDefinition>& OptionDefinitions();

// The row whose key is `key` (ASCII case ignored), or nullptr.
const OptionDefinition* FindOption(std::string_view key);

// The option's value as the settings file and the command line write it.
std::string OptionText(const OptionDefinition& option, const ConversionOptions& options);

// Sets the option from text; false with a message naming the option and what
// it takes ("--jpeg-quality takes a whole number from 1 to 100") when the
// text is not a value of it. `name` is how the message calls the option.
bool SetOptionFromText(const OptionDefinition& option, std::string_view text, ConversionOptions& options,
                       const std::string& name, std::string& error);

// What the option takes, in words ("a whole number from 1 to 100",
// "auto, 444 or 420").
std::string OptionRange(const OptionDefinition& option);

// Text form of the job's options for the worker protocol and back: the
// settings file's key=value lines, only those that differ from the defaults.
std::string OptionsToText(const ConversionOptions& options);
bool OptionsFromText(std::string_view text, ConversionOptions& options, std::string& error);
