#include "PageSettings.h"

#include "IniFile.h"

#include <filesystem>
#include <system_error>

namespace {

template <class Settings, std::size_t N>
Settings LoadSection(const std::string& configPath, const char* section,
                     const std::array<SettingRow<Settings>, N>& rows)
{
    Settings settings;
    IniFile ini;
    // A file that cannot be opened simply leaves every default in place.
    ini.Open(configPath);
    for (const SettingRow<Settings>& row : rows) {
        switch (row.kind) {
        case SettingKind::Flag:
            settings.*row.number = ini.GetBool(section, row.key, false) ? 1 : 0;
            break;
        case SettingKind::Integer:
            settings.*row.number = ini.GetInt(section, row.key, 0);
            break;
        case SettingKind::Text:
            settings.*row.text = ini.GetString(section, row.key, "");
            break;
        }
    }
    ini.Close();
    return settings;
}

template <class Settings, std::size_t N>
bool SaveSection(const std::string& configPath, const char* section,
                 const std::array<SettingRow<Settings>, N>& rows, const Settings& settings)
{
    // The per-user folder does not exist before the first save.
    const std::filesystem::path folder = std::filesystem::path(configPath).parent_path();
    std::error_code ec;
    if (!folder.empty() && !std::filesystem::exists(folder, ec))
        std::filesystem::create_directories(folder, ec);

    IniFile ini;
    if (!ini.Open(configPath))
        return false;
    bool allSet = true;
    for (const SettingRow<Settings>& row : rows) {
        switch (row.kind) {
        case SettingKind::Flag:
            allSet = ini.SetBool(section, row.key, settings.*row.number != 0) && allSet;
            break;
        case SettingKind::Integer:
            allSet = ini.SetInt(section, row.key, settings.*row.number) && allSet;
            break;
        case SettingKind::Text:
            allSet = ini.SetString(section, row.key, settings.*row.text) && allSet;
            break;
        }
    }
    const bool saved = ini.Save(configPath);
    ini.Close();
    return saved && allSet;
}

} // namespace

const std::array<SettingRow<SingleSettings>, 11>& SingleSettingRows()
{
    using S = SingleSettings;
    static const std::array<SettingRow<S>, 11> rows{{
        {"bbmp", SettingKind::Flag, &S::bbmp, nullptr},
        {"bjpg", SettingKind::Flag, &S::bjpg, nullptr},
        {"bgif", SettingKind::Flag, &S::bgif, nullptr},
        {"bpcx", SettingKind::Flag, &S::bpcx, nullptr},
        {"bpng", SettingKind::Flag, &S::bpng, nullptr},
        {"bico", SettingKind::Flag, &S::bico, nullptr},
        {"btif", SettingKind::Flag, &S::btif, nullptr},
        {"btga", SettingKind::Flag, &S::btga, nullptr},
        {"braw", SettingKind::Flag, &S::braw, nullptr},
        {"InFile", SettingKind::Text, nullptr, &S::InFile},
        {"OutDir", SettingKind::Text, nullptr, &S::OutDir},
    }};
    return rows;
}

const std::array<SettingRow<BatchSettings>, 4>& BatchSettingRows()
{
    using B = BatchSettings;
    static const std::array<SettingRow<B>, 4> rows{{
        {"OutType", SettingKind::Integer, &B::OutType, nullptr},
        {"InFile", SettingKind::Text, nullptr, &B::InFile},
        {"InDir", SettingKind::Text, nullptr, &B::InDir},
        {"OutDir", SettingKind::Text, nullptr, &B::OutDir},
    }};
    return rows;
}

SingleSettings LoadSingleSettings(const std::string& configPath)
{
    return LoadSection(configPath, kSingleSection, SingleSettingRows());
}

BatchSettings LoadBatchSettings(const std::string& configPath)
{
    return LoadSection(configPath, kBatchSection, BatchSettingRows());
}

bool SaveSingleSettings(const std::string& configPath, const SingleSettings& settings)
{
    return SaveSection(configPath, kSingleSection, SingleSettingRows(), settings);
}

bool SaveBatchSettings(const std::string& configPath, const BatchSettings& settings)
{
    return SaveSection(configPath, kBatchSection, BatchSettingRows(), settings);
}
