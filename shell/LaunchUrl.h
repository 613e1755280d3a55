#pragma once

#include <functional>
#include <string>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h> // SW_HIDE, SW_SHOW
#else
// Show commands as Windows names them; on Linux the desktop decides how the
// browser's window appears, so they are accepted and have no effect.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOW = 5;
#endif

// A launch result greater than 32 means the address was handed on; 32 or
// less is one of the error codes that LaunchErrorText explains.
constexpr int kLaunchSucceeded = 33;

struct LaunchOptions {
    // How long the desktop's opener may take to report a failure before we
    // take it as busy with the browser it started. The caller waits this long
    // at most, and only when the opener does not finish sooner.
    int openerWaitMs = 2000;
};

// Opens url with the desktop's default handler, else with the program
// registered for web pages, and returns the result of the last attempt.
// On Linux:
//  1. xdg-open url, started detached. Not on PATH gives 2, not executable 5;
//     an exit within openerWaitMs is read as xdg-open documents it: 0 is
//     success, 3 (no handler or tool) gives 31, 2 (not found) gives 2, any
//     other end 27. Still running when the wait is over counts as success.
//  2. On failure, the desktop entry that `xdg-mime query default` names for
//     x-scheme-handler/http (else text/html), looked up in the applications/
//     folders of $XDG_DATA_HOME and $XDG_DATA_DIRS. Without one, step 1's
//     result stands; an entry without a usable Exec line gives 27.
//  3. Its Exec line, cut at the placeholder, run as an argument list with
//     url as one more argument (no shell). Program missing 2, not executable
//     5, failed to load 11 or 0; once it runs, success.
// An empty url, or one that starts with '-' and could pass for an option of
// the program it is handed to, is refused with 2 and nothing is started.
int LaunchUrl(const std::string& url, int showCommand, const LaunchOptions& options);
int LaunchUrl(const std::string& url, int showCommand);

// Something that opens an address as LaunchUrl does; callers hold one so
// tests can stand in for the desktop.
using UrlLauncher = std::function<int(const std::string& url, int showCommand)>;
