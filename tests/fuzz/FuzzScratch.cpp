#include "FuzzScratch.h"

#include "ScratchFolder.h"

const std::string& FuzzScratchFolder()
{
    static const ScratchFolder scratch;
    return scratch.Path();
}
