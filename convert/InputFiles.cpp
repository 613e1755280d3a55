#include "InputFiles.h"

#include <sys/stat.h>

void InputFiles::Identify()
{
    m_bIdentified = true;
    m_byId.reserve(m_inputs.size() * 2);
    for (std::size_t i = 0; i < m_inputs.size(); ++i) {
        struct stat info {};
        if (::lstat(m_inputs[i].c_str(), &info) != 0)
            continue;  // a missing input has nothing to lose
        m_byId.emplace(FileId{info.st_dev, info.st_ino}, i);
        if (S_ISLNK(info.st_mode) && ::stat(m_inputs[i].c_str(), &info) == 0)
            m_byId.emplace(FileId{info.st_dev, info.st_ino}, i);
    }
}

const std::string* InputFiles::ReplacedBy(const std::string& output)
{
    struct stat info {};
    if (::lstat(output.c_str(), &info) != 0)
        return nullptr;  // nothing there, so no input either
    if (!m_bIdentified)
        Identify();
    auto found = m_byId.find(FileId{info.st_dev, info.st_ino});
    if (found == m_byId.end() && S_ISLNK(info.st_mode) && ::stat(output.c_str(), &info) == 0)
        found = m_byId.find(FileId{info.st_dev, info.st_ino});
    return found == m_byId.end() ? nullptr : &m_inputs[found->second];
}
