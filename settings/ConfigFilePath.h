#pragma once

#include <string>

// Where the pages keep their settings.
// - Beside the program ("config.ini" in its folder) when a writable
//   config.ini already stands there: a portable copy keeps its settings.
// - Otherwise, when the program runs from where it was installed (the
//   configured install prefix's bin folder, or any bin/ folder with
//   share/tessaglyph/ beside it, as `cmake --install --prefix` and the
//   package lay it out), "tessaglyph/config.ini" in the user's configuration
//   folder ($XDG_CONFIG_HOME when set to an absolute path, else ~/.config),
//   whose folders the first save makes. An installed program never writes
//   beside itself, even run by root.
// - Otherwise (the build folder, an unpacked copy) beside the program when
//   its folder is writable, else the user's configuration folder.
std::string ConfigFilePath();

// The same rule with everything it asks of the system passed in. An empty
// text stands for "unknown" or "not set". An executable path without any "/"
// means the current folder. `installBinFolder` is the configured install
// prefix's bin folder.
std::string ConfigFilePath(const std::string& executablePath, const std::string& xdgConfigHome,
                           const std::string& home, const std::string& installBinFolder = {});
