#pragma once

#include <string>

// A folder of this process for the files a checker needs, made on first use
// and removed when the process ends normally.
const std::string& FuzzScratchFolder();
