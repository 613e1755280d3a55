#pragma once

// Where the engine tests find the programs this build made.
#include <string>

namespace enginetest {

inline std::string BinaryPath(const std::string& name)
{
    return std::string(TESSAGLYPH_BINARY_DIR) + "/" + name;
}

}  // namespace enginetest
