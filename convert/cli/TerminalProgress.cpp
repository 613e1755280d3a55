#include "TerminalProgress.h"

#include "SystemInfo.h"

#include <algorithm>
#include <string>

TerminalProgress::TerminalProgress(std::FILE* stream)
    : m_stream(stream), m_bTerminal(IsTerminal(stream))
{
}

void TerminalProgress::SetRange(std::int64_t, std::int64_t upper)
{
    m_nTotal = upper;
}

void TerminalProgress::SetPosition(std::int64_t)
{
    // The first position is the start (0); each later one is one more entry
    // handled, the last one the end.
    const std::int64_t handled = std::min(m_nCalls++, m_nTotal);
    if (!m_bTerminal)
        return;
    const std::string line = "\rConverting: " + std::to_string(handled) + " of " + std::to_string(m_nTotal);
    std::fputs(line.c_str(), m_stream);
    std::fflush(m_stream);
    m_bShown = true;
}

void TerminalProgress::Finish()
{
    if (m_bShown) {
        std::fputs("\r\033[K", m_stream);
        std::fflush(m_stream);
    }
}
