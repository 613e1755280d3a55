#pragma once

#include <cstdint>
#include <cstdio>

// What the programs ask about the machine they run on.

// True when the stream goes to a terminal (a person reads it as it comes).
bool IsTerminal(std::FILE* stream);

// The machine's physical memory in bytes; 0 when it cannot be told.
std::uint64_t PhysicalMemoryBytes();
