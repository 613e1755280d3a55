#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <linux/capability.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

// A fresh folder under the system's temporary folder, removed with all it
// holds (permissions restored first) when the test ends.
class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tessaglyph-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr)
            m_path = pattern;
    }
    ~TempFolder()
    {
        if (m_path.empty())
            return;
        std::error_code ec;
        ::chmod(m_path.c_str(), 0700);
        for (auto it = std::filesystem::recursive_directory_iterator(m_path, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
            if (it->is_directory(ec) && !it->is_symlink(ec))
                ::chmod(it->path().c_str(), 0700);
        }
        std::filesystem::remove_all(m_path, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string Path(const std::string& name) const { return m_path + "/" + name; }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

// Root passes permission bits through two capabilities. Run as root, as CI
// runs the tests, check() runs in a child process that gives those up for
// good, so an unreadable file or a read-only folder stops it as it stops a
// user; otherwise check() simply runs.
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

inline void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

inline std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
