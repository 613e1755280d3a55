#pragma once

// Runs a check with permission bits applied, even as root.
#include <gtest/gtest.h>

#include <cstdio>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

// Root passes permission bits through two capabilities. Run as root, as CI
// runs the tests, check() runs in a child process that gives those up for
// good, so an unreadable file or a read-only folder stops it as it stops a
// user; otherwise check() simply runs. The child's failed EXPECTs and ASSERTs
// are printed by the child and fail the test here.
template <typename Check>
void WithPermissionBitsApplied(Check check)
{
    if (::geteuid() != 0) {
        check();
        return;
    }
    const pid_t child = ::fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        int result = 3;
        __user_cap_header_struct header{};
        header.version = _LINUX_CAPABILITY_VERSION_3;
        __user_cap_data_struct caps[_LINUX_CAPABILITY_U32S_3]{};
        if (::syscall(SYS_capget, &header, caps) == 0) {
            const unsigned dac = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);
            caps[0].effective &= ~dac;
            caps[0].permitted &= ~dac;
            caps[0].inheritable &= ~dac;
            if (::syscall(SYS_capset, &header, caps) == 0) {
                check();
                result = testing::Test::HasFailure() ? 1 : 0;
            }
        }
        std::fflush(nullptr);
        ::_exit(result);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "the check without root's override ended abnormally";
    if (WEXITSTATUS(status) == 3)
        GTEST_SKIP() << "root could not give up its override of permission bits here";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the check without root's override failed (see above)";
}
