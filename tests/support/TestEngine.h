#pragma once

// Conversion engines for tests, whose workers are the built tessaglyph-convert.
#include "ConversionEngine.h"

#include <cstddef>

// The options such an engine starts from; tests add their hooks and limits.
inline EngineOptions BuiltWorkerOptions(std::size_t workers)
{
    EngineOptions options;
    options.workerProgram = TESSAGLYPH_BINARY_DIR "/tessaglyph-convert";
    options.conversionWorkers = workers;
    return options;
}

// The same with the test worker that crashes on files named "*crashme*" and
// hangs on "*hang*".
inline EngineOptions HookedWorkerOptions(std::size_t workers)
{
    EngineOptions options = BuiltWorkerOptions(workers);
    options.workerProgram = TESSAGLYPH_BINARY_DIR "/test_hooked_worker";
    return options;
}

// The engine page tests run on: one per test program, since starting its
// workers costs time.
inline ConversionEngine& TestEngine()
{
    static ConversionEngine engine(BuiltWorkerOptions(2));
    return engine;
}
