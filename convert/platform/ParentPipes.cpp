#include "ParentPipes.h"

#include <cerrno>
#include <csignal>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

bool TakeParentPipes(int* inFd, int* outFd)
{
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGINT, SIG_IGN);

    const int in = ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 3);
    const int out = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
    if (in < 0 || out < 0)
        return false;
    const int devNull = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (devNull < 0 || ::dup2(devNull, STDIN_FILENO) < 0 || ::dup2(STDERR_FILENO, STDOUT_FILENO) < 0)
        return false;
    ::close(devNull);
    *inFd = in;
    *outFd = out;
    return true;
}

void WatchParent(int inFd, void (*onGone)())
{
    // The writer's end closing is the one sign that works for any parent
    // (PR_SET_PDEATHSIG fires when the parent's starting thread ends).
    std::thread([inFd, onGone] {
        pollfd p{inFd, 0, 0};  // POLLHUP and POLLERR are always reported
        while (::poll(&p, 1, -1) < 0 && errno == EINTR) {
        }
        onGone();
    }).detach();
}

long ReadSomeFrom(int fd, std::uint8_t* data, std::size_t size)
{
    for (;;) {
        const ssize_t n = ::read(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        return static_cast<long>(n);
    }
}
