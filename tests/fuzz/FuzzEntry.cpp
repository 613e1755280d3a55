// The libFuzzer entry of one target; TESSAGLYPH_FUZZ_CHECK names its checker.
// A failed property ends the run like a crash, so libFuzzer keeps the input.
#include "FuzzChecks.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string failure = TESSAGLYPH_FUZZ_CHECK(data, size);
    if (!failure.empty()) {
        std::fprintf(stderr, "tessaglyph-fuzz: property failed: %s\n", failure.c_str());
        std::abort();
    }
    return 0;
}
