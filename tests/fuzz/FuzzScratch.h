#pragma once

#include <string>

// A folder of this process for the files a checker needs, made on first use
// (in /dev/shm when there is one, so saving through fsync stays cheap) and
// removed when the process ends normally.
const std::string& FuzzScratchFolder();

// Writes `bytes` to `path`, replacing it; false on failure.
bool WriteWholeFile(const std::string& path, const std::string& bytes);
