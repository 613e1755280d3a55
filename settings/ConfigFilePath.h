#pragma once

#include <string>

// Where the pages keep their settings: "config.ini" in the executable's own
// folder when that file can be written there (it exists and is writable, or
// the folder is writable), so a portable install keeps its settings beside
// the program. Otherwise "tessaglyph/config.ini" in the user's configuration
// folder ($XDG_CONFIG_HOME when set to an absolute path, else ~/.config),
// whose folders the first save makes.
std::string ConfigFilePath();

// The same rule with everything it asks of the system passed in. An empty
// text stands for "unknown" or "not set". An executable path without any "/"
// means the current folder.
std::string ConfigFilePath(const std::string& executablePath, const std::string& xdgConfigHome,
                           const std::string& home);
