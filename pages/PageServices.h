#pragma once

#include <string>

class IPrompts;

// What the main dialog hands every page. The referenced objects outlive the
// main dialog and its pages.
struct PageServices {
    IPrompts& prompts;       // every question to the user
    std::string configPath;  // the settings file (config.ini), UTF-8
};
