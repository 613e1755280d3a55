#pragma once

#include <string>

class ConversionEngine;
class IPrompts;

// What the main dialog hands every page. The referenced objects outlive the
// main dialog and its pages.
struct PageServices {
    IPrompts& prompts;       // every question to the user
    std::string configPath;  // the settings file (config.ini), UTF-8
    // Converts and renders previews in worker processes; thread-safe. Null
    // only where no page converts (tests of other pages): previews then stay
    // grey and a conversion reports that no converter is available.
    ConversionEngine* engine = nullptr;
};
