// Every input a fuzzer ever found (regressions/<target>/) and every seed
// (corpus/<target>/, and PngSuite for the decoder) through its target's
// checker, so a fault once found stays fixed in every build.
#include "FuzzChecks.h"

#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

using Checker = std::string (*)(const std::uint8_t*, std::size_t);

struct Target {
    const char* name;
    Checker check;
    std::vector<std::string> extraSeedFolders;
};

std::ostream& operator<<(std::ostream& out, const Target& target)
{
    return out << target.name;
}

// Runs every file of the folder through the checker; the count of files
// replayed, with a failure recorded for each broken property.
std::size_t Replay(const Target& target, const fs::path& folder)
{
    std::size_t count = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (!entry.is_regular_file() || entry.path().filename().string().front() == '.' ||
            entry.path().extension() == ".md")
            continue;
        const std::vector<std::uint8_t> bytes = ReadAll(entry.path().string());
        EXPECT_EQ(target.check(bytes.data(), bytes.size()), "") << entry.path();
        ++count;
    }
    return count;
}

const fs::path kFuzzDir = TESSAGLYPH_FUZZ_DIR;

class FuzzReplay : public testing::TestWithParam<Target> {};

// The seeds must be there (a misspelt folder would pass with nothing run);
// inputs fuzzing found are there only for targets it found any for.
TEST_P(FuzzReplay, PropertiesHoldForEverySeedAndEveryInputFuzzingFound)
{
    std::vector<fs::path> folders{kFuzzDir / "corpus" / GetParam().name};
    for (const std::string& extra : GetParam().extraSeedFolders)
        folders.emplace_back(extra);
    std::size_t count = 0;
    for (const fs::path& folder : folders) {
        ASSERT_TRUE(fs::is_directory(folder)) << folder;
        count += Replay(GetParam(), folder);
    }
    const fs::path found = kFuzzDir / "regressions" / GetParam().name;
    if (fs::exists(found)) {
        const std::size_t seeds = count;
        count += Replay(GetParam(), found);
        EXPECT_GT(count, seeds) << found << " holds no input";
    }
    EXPECT_GT(count, 0u) << "the target has no inputs";
}

INSTANTIATE_TEST_SUITE_P(
    Targets, FuzzReplay,
    testing::Values(Target{"ini_file", CheckIniFile, {}}, Target{"naming", CheckNaming, {}},
                    Target{"worker_messages", CheckWorkerMessages, {}},
                    Target{"launch_command", CheckLaunchCommand, {}},
                    Target{"picture_decoder", CheckPictureDecoder, {std::string(TESSAGLYPH_TESTDATA_DIR) + "/pngsuite"}}),
    [](const testing::TestParamInfo<Target>& target) { return std::string(target.param.name); });

}  // namespace
