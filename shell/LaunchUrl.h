#pragma once

#include <functional>
#include <string>

// Show commands as Windows names them; on Linux the desktop decides how the
// browser's window appears, so they are accepted and have no effect.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOW = 5;

// A launch result greater than 32 means the address was handed on; 32 or
// less is one of the error codes that LaunchErrorText explains.
constexpr int kLaunchSucceeded = 33;

// Opens url with the desktop's default handler, else with the program
// registered for web pages, and returns the result of the last attempt.
// On Linux:
//  1. xdg-open url, waited for up to two seconds: ending with a non-zero
//     status (no handler) gives 31, still running after the wait counts as
//     success. Not on $PATH or not executable gives 2, failing to start 11.
//  2. When it fails: the default application for the
//     url's scheme (x-scheme-handler/https), else x-scheme-handler/http, else
//     text/html, read from the mimeapps.list files and desktop entries
//     themselves (DefaultApplicationEntry). Without one, step 1's result
//     stands; an entry whose Exec line cannot be read gives 27.
//  3. Its Exec line, cut at the placeholder, run as an argument list with
//     url as one more argument (no shell): program missing or not
//     executable 2, failing to start 11; once it runs, success.
// An empty url, or one that starts with '-' and could pass for an option of
// the program it is handed to, is refused with 2 and nothing is started.
int LaunchUrl(const std::string& url, int showCommand);

// Something that opens an address as LaunchUrl does; callers hold one so
// tests can stand in for the desktop.
using UrlLauncher = std::function<int(const std::string& url, int showCommand)>;
