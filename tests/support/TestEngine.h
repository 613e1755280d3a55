#pragma once

// The conversion engine page tests run on: real workers (the built
// tessaglyph-convert), one per test program, since starting them costs time.
#include "ConversionEngine.h"

inline ConversionEngine& TestEngine()
{
    static ConversionEngine engine([] {
        EngineOptions options;
        options.workerProgram = TESSAGLYPH_BINARY_DIR "/tessaglyph-convert";
        options.conversionWorkers = 2;
        return options;
    }());
    return engine;
}
