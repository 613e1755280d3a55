#pragma once

// A batch run's progress, for tests that look only at the outcome.
#include "BatchRun.h"

#include <cstdint>

struct NullProgress final : IBatchProgress {
    void SetRange(std::int64_t, std::int64_t) override {}
    void SetPosition(std::int64_t) override {}
};
