#pragma once

#include <functional>
#include <string>

// ImageMagick's messages end in a source location and an empty file name
// ("improper image header `' @ error/png.c/ReadPNGImage/4115"); users get
// only the first part ("improper image header").
std::string ShortMagickReason(const std::string& message);

// Runs a step of the codec (ImageMagick, LibRaw or plain C++) and turns
// whatever it throws into a reason for the user: "<what> (<why>)", or "not
// enough memory". False when the step failed or threw; the step sets
// `error` itself when it fails without throwing.
bool GuardedStep(std::string& error, const char* what, const std::function<bool()>& step);
