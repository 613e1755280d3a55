#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// What the programs ask about the machine they run on.

// True when the stream goes to a terminal (a person reads it as it comes).
bool IsTerminal(std::FILE* stream);

// The running program's own file, from /proc/self/exe; empty if unknown.
std::string ExecutablePath();

// The user's home folder: $HOME, else the password database's; empty if
// neither says.
std::string HomeFolder();

// Whether this process may write the regular file, or write into (and look
// up names in) the folder, by its effective ids.
bool IsWritableFile(const std::string& path);
bool IsWritableFolder(const std::string& path);

// Empty when this process may run the program; else why not
// ("No such file or directory").
std::string WhyNotExecutable(const std::string& program);

// The most data memory this process may take (RLIMIT_DATA); 0 when unlimited.
std::uint64_t DataSizeLimit();

// Lowers that limit to `bytes` (never raises one someone else set lower);
// false when it cannot be set. Does nothing in the AddressSanitizer build.
bool CapDataSize(std::uint64_t bytes);

// Calls `handler` (with the signal's number) when the user asks the program
// to stop: Ctrl+C at a terminal (SIGINT) or a plain kill (SIGTERM).
void HandleStopSignals(void (*handler)(int));

// The machine's physical memory in bytes; 0 when it cannot be told.
std::uint64_t PhysicalMemoryBytes();
