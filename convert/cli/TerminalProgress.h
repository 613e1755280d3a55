#pragma once

#include "BatchRun.h"

#include <cstdint>
#include <cstdio>

// Shows "Converting: 3 of 24" on one line of a terminal, rewritten in place,
// and nothing when the stream is not a terminal (scripts, logs). The batch
// run serialises its calls, so no lock is needed.
class TerminalProgress final : public IBatchProgress {
public:
    explicit TerminalProgress(std::FILE* stream);

    void SetRange(std::int64_t lower, std::int64_t upper) override;
    void SetPosition(std::int64_t position) override;

    // Clears the line, so that what follows starts on a clean line.
    void Finish();

private:
    std::FILE* m_stream;
    bool m_bTerminal;
    bool m_bShown = false;
    std::int64_t m_nTotal = 0;
    std::int64_t m_nCalls = 0;
};
