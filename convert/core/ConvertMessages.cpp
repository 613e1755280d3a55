#include "ConvertMessages.h"

#include "Naming.h"

std::string WrittenAsLine(const std::string& finalPath)
{
    return "written as " + std::string(FileNameFromPath(finalPath));
}

std::string SkippedAndRenamedCounts(std::size_t skipped, std::size_t renamed)
{
    std::string lines;
    if (skipped > 0) {
        lines += "\n" + std::to_string(skipped) +
                 (skipped == 1 ? " output file was skipped: it exists." : " output files were skipped: they exist.");
    }
    if (renamed > 0) {
        lines += "\n" + std::to_string(renamed) +
                 (renamed == 1 ? " output file was written under a new name, as its name was taken."
                               : " output files were written under new names, as their names were taken.");
    }
    return lines;
}
