#include "InputFiles.h"

void InputFiles::Identify()
{
    m_bIdentified = true;
    m_byId.reserve(m_inputs.size() * 2);
    for (std::size_t i = 0; i < m_inputs.size(); ++i) {
        const PathIdentity identity = IdentifyPath(m_inputs[i]);
        if (!identity.exists)
            continue;  // a missing input has nothing to lose
        m_byId.emplace(identity.self, i);
        if (identity.hasTarget)
            m_byId.emplace(identity.target, i);
    }
}

const std::string* InputFiles::ReplacedBy(const std::string& output)
{
    const PathIdentity identity = IdentifyPath(output);
    if (!identity.exists)
        return nullptr;  // nothing there, so no input either
    if (!m_bIdentified)
        Identify();
    auto found = m_byId.find(identity.self);
    if (found == m_byId.end() && identity.hasTarget)
        found = m_byId.find(identity.target);
    return found == m_byId.end() ? nullptr : &m_inputs[found->second];
}
