#pragma once

#include <array>
#include <string>

// What the Single and Batch pages keep in the settings file between runs.
// The pages only move their members in and out of these structs; the file
// path comes from the caller (ConfigFilePath() in the program).

constexpr const char* kSingleSection = "Single";
constexpr const char* kBatchSection = "Batch";

// Section "Single". Flags are the page's check box members: 0 is clear, any
// other value ticked (a load gives 0 or 1).
struct SingleSettings {
    int bbmp = 0;
    int bjpg = 0;
    int bgif = 0;
    int bpcx = 0;
    int bpng = 0;
    int bico = 0;
    int btif = 0;
    int btga = 0;
    int braw = 0;
    std::string InFile;
    std::string OutDir;
};

// Section "Batch". OutType is the format list's index, -1 for no selection;
// it is stored as it is, not checked.
struct BatchSettings {
    int OutType = 0;
    std::string InFile;
    std::string InDir;
    std::string OutDir;
};

enum class SettingKind {
    Flag,     // read with GetBool (default false), written with SetBool(field != 0)
    Integer,  // read with GetInt (default 0), written with SetInt
    Text,     // read with GetString (default empty), written with SetString
};

// One key of a section and the field it fills. Flag and Integer rows use
// `number`, Text rows use `text`.
template <class Settings>
struct SettingRow {
    const char* key;
    SettingKind kind;
    int Settings::*number;
    std::string Settings::*text;
};

// The keys in the order they are read and written. A new file's layout
// follows from it: new keys go to the top of their section, so the last row
// comes first.
const std::array<SettingRow<SingleSettings>, 11>& SingleSettingRows();
const std::array<SettingRow<BatchSettings>, 4>& BatchSettingRows();

// Reads the page's section. A missing file is created empty; a file that
// cannot be read gives the defaults. Values are not validated.
SingleSettings LoadSingleSettings(const std::string& configPath);
BatchSettings LoadBatchSettings(const std::string& configPath);

// Re-reads the whole file (so the other page's section, comments and hand
// edits stay), sets every key of the page's section in row order and saves,
// making the file's folder first if needed. A file that exists but cannot be
// read is left alone rather than replaced by one section. False when the file
// was not written, or when a text holding a line break could not be stored
// (the other keys are saved all the same).
bool SaveSingleSettings(const std::string& configPath, const SingleSettings& settings);
bool SaveBatchSettings(const std::string& configPath, const BatchSettings& settings);
