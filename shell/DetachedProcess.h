#pragma once

#include <string>
#include <vector>

// Starting a program that outlives us, on POSIX systems. The program runs in
// its own session as a grandchild, so it never becomes our zombie and is not
// killed with our process group; we still learn whether it could be started
// and, within a short wait, how it ended.

// Where a program name leads: a path with a '/' is taken as it is, a bare
// name is looked up in the folders of $PATH at the time of the call.
struct ProgramLookup {
    enum class State { Found, NotFound, NotExecutable };
    State state = State::NotFound;
    std::string path; // set when Found
};
ProgramLookup FindProgram(const std::string& name);

struct DetachedStart {
    enum class State {
        Failed,  // it never ran: error holds the errno of fork, pipe or exec
        Exited,  // it ended within the wait: exitCode, or -1 when a signal ended it
        Running, // still running when the wait was over
    };
    State state = State::Failed;
    int error = 0;
    int exitCode = 0;
};

// Runs path with arguments (argument 0 is path itself, added here) and
// blocks the caller for at most waitMs milliseconds, less if it ends sooner.
// With waitMs 0 it only waits until the program has been loaded. Standard
// input is /dev/null; output goes where ours goes. The arguments reach the
// program exactly as given: no shell reads them.
DetachedStart StartDetached(const std::string& path, const std::vector<std::string>& arguments,
                            int waitMs);
