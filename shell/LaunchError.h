#pragma once

#include <string>

// The message a failed click on a link shows: "Unable to open hyperlink:",
// an empty line and the text for code, a launch result of 32 or less.
std::string LaunchErrorText(int code);
