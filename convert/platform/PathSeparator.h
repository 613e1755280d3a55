#pragma once

// The folder separator of this platform. On Linux a backslash is an ordinary
// file name character and separates nothing; a port with other rules gives
// its own version of this header.
constexpr char kPathSeparator = '/';

constexpr bool IsPathSeparator(char c)
{
    return c == kPathSeparator;
}
