#pragma once

#include <string>
#include <string_view>

// Whole-file reading and writing for the settings store. No exceptions but
// std::bad_alloc; every other failure is a false result.

// Reads the regular file at `path` into `bytes`. An absent file is created
// empty (so a first start leaves a file to edit) and reads as no bytes.
// False for anything that is not a regular file, or that can neither be read
// nor created.
bool ReadOrCreateFile(const std::string& path, std::string& bytes);

// Replaces the file at `path` with `bytes` so that a crash or a full disk
// never leaves a half-written file: the bytes go to a new file in the same
// folder, are flushed to disk and the new file is renamed over the old one
// (keeping the old file's permission bits; through a symbolic link, the file
// it points to is replaced). When the folder cannot be written but the file
// can, the file is rewritten in place, the one way left to save; only then can
// a failed write leave the file short.
// False, with nothing changed on disk, when `path` names something other than
// a regular file, when an existing file is not writable for us, or when
// writing the new file fails.
bool ReplaceFile(const std::string& path, std::string_view bytes);
