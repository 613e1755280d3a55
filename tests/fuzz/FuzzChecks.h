#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The properties each fuzz target checks. A checker takes the fuzzer's bytes
// and returns an empty text when every property holds, otherwise what
// failed. The libFuzzer targets abort on a failure (FuzzEntry.cpp); the
// replay test runs the same checkers over the seed corpora and over every
// input a fuzzer ever found (regressions/<target>/), in every build.

// The INI store: the bytes (after up to three zero-terminated fields naming
// a section, a key and a value) are a settings file. Load, save and reload
// give the same lines; setting a key reads back the value set, in memory and
// after a save; no line the setter did not touch changes.
std::string CheckIniFile(const std::uint8_t* data, std::size_t size);

// The naming rules on arbitrary paths and folders: the title never holds a
// separator, the base path starts with the folder, and an output named from
// them has that title and the type code of its extension.
std::string CheckNaming(const std::uint8_t* data, std::size_t size);

// The window's side of the worker protocol: after one byte choosing the
// request that was sent, the rest is what a worker answered. Whatever the
// bytes, decoding never crashes, gives the same frame however the bytes
// arrive, and an answer is only accepted for the job that was sent.
std::string CheckWorkerMessages(const std::uint8_t* data, std::size_t size);

// The launcher: a zero-terminated address, then a command template (also
// read as a desktop file). When a command is built at all, the address
// arrives as exactly one argument, the last, and nothing else depends on it.
std::string CheckLaunchCommand(const std::uint8_t* data, std::size_t size);

// The decoder the workers run, on the bytes of a file. A decoded picture is
// non-empty, within the limits, upright, in a colour space the encoders
// take, and as large as it says; a refusal always has a reason.
std::string CheckPictureDecoder(const std::uint8_t* data, std::size_t size);
