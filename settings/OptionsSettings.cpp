#include "OptionsSettings.h"

#include "ConfigFilePath.h"
#include "IniFile.h"

#include <filesystem>
#include <system_error>

bool LoadOptionsSettings(const std::string& configPath, ConversionOptions& options, std::string* error)
{
    options = ConversionOptions();
    std::error_code ec;
    // A file named on the command line must be there: opening would make it.
    if (error != nullptr && !std::filesystem::is_regular_file(configPath, ec)) {
        *error = "cannot read " + configPath;
        return false;
    }
    IniFile ini;
    if (!ini.Open(configPath) && error != nullptr) {
        *error = "cannot read " + configPath;
        return false;
    }
    for (const OptionDefinition& option : OptionDefinitions()) {
        const std::string text = ini.GetString(kOptionsSection, option.key, "");
        std::string why;
        if (!text.empty() && !SetOptionFromText(option, text, options, option.key, why) && error != nullptr) {
            *error = why;
            return false;
        }
    }
    ini.Close();
    return true;
}

bool SaveOptionsSettings(const std::string& configPath, const ConversionOptions& options)
{
    MakeConfigFolder(configPath);
    IniFile ini;
    if (!ini.Open(configPath))
        return false;
    // The store puts the first key written last and each later one at the
    // top, so writing from the end lists them in the table's order.
    bool allSet = true;
    const auto& rows = OptionDefinitions();
    for (auto row = rows.rbegin(); row != rows.rend(); ++row)
        allSet = ini.SetString(kOptionsSection, row->key, OptionText(*row, options)) && allSet;
    const bool saved = ini.Save(configPath);
    ini.Close();
    return saved && allSet;
}
