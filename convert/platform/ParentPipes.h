#pragma once

#include <cstddef>
#include <cstdint>

// The child's side of ChildProcess: a program started with a pipe on its
// standard input and output talks to its parent on them.

// Moves the two pipes off descriptors 0 and 1 and gives their numbers;
// standard input becomes /dev/null and standard output goes to standard
// error, so a library that prints cannot corrupt what is sent. Also ignores
// SIGPIPE (a parent gone is a failed write) and SIGINT (a Ctrl+C at a
// terminal is for the parent, which decides). False when the descriptors
// cannot be set up.
bool TakeParentPipes(int* inFd, int* outFd);

// Calls `onGone` on a thread of its own once the writer of `inFd` (the
// parent) is gone, even while this process is busy; `onGone` should end the
// process.
void WatchParent(int inFd, void (*onGone)());

// Reads what is there, blocking until something is: the count, 0 at the end,
// -1 on an error.
long ReadSomeFrom(int fd, std::uint8_t* data, std::size_t size);
