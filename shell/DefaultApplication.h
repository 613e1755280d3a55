#pragma once

#include <optional>
#include <string>
#include <vector>

// Which program opens a kind of document, read directly from the freedesktop
// files (the mimeapps.list files and the desktop entries of the
// applications/ folders), so no helper program of the desktop is needed.
// The folders are those of $XDG_CONFIG_HOME, $XDG_CONFIG_DIRS,
// $XDG_DATA_HOME and $XDG_DATA_DIRS (or their defaults) at the time of the
// call.

struct DesktopEntryFile {
    std::string path;
    std::string text;
};

// The installed desktop entry of a desktop file id: the first file the id
// names in the applications/ folders, earlier folders first. An entry that
// is Hidden (deleted by the user) or has no Exec line is not installed.
std::optional<DesktopEntryFile> FindDesktopEntry(const std::string& desktopId);

// The default application for the first of `mimeTypes` that has one. The
// mimeapps.list files count in this order: the user's config folder, the
// system's config folders, then the applications/ folders of the user's and
// the system's data folders; in each, the files of the current desktops
// ("gnome-mimeapps.list" for each name of $XDG_CURRENT_DESKTOP, in lower
// case) before the plain one. For each type: the first installed id of the
// [Default Applications] lists, in the files' order; else the most preferred associated one, level by level
// (a file's [Added Associations], then an applications/ folder's
// mimeinfo.cache), leaving out what a level's [Removed Associations] removed
// for the levels after it.
std::optional<DesktopEntryFile> DefaultApplicationEntry(const std::vector<std::string>& mimeTypes);
