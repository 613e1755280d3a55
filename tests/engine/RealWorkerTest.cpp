// The engine with the real worker program and real pictures: faults and bad
// files cost only themselves, and splitting a job changes no output byte.
#include "BatchRun.h"
#include "ConversionEngine.h"
#include "InProcessJobs.h"
#include "OutputFormat.h"

#include "NullProgress.h"
#include "ScratchFolder.h"
#include "TestEngine.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

using namespace std::chrono_literals;

const std::string kSuite = std::string(TESSAGLYPH_TESTDATA_DIR) + "/pngsuite/";

EngineOptions RealOptions(std::size_t workers)
{
    EngineOptions options = HookedWorkerOptions(workers);
    options.jobTimeLimit = 60s;
    return options;
}

// A folder with two good pictures, a truncated one, a text file with a
// picture's name, a missing file, and a good picture that crashes the worker.
class RealBatch : public testing::Test {
protected:
    void SetUp() override
    {
        fs::copy_file(kSuite + "basn2c08.png", in / "good1.png");
        fs::copy_file(kSuite + "basn6a08.png", in / "good2.png");
        fs::copy_file(kSuite + "basn2c08.png", in / "boom-crashme.png");
        WriteFile(in / "cut.png", ReadFile(kSuite + "basn2c08.png").substr(0, 80));
        WriteFile(in / "notes.png", "not a picture at all\n");
        fs::create_directory(out.Path() + "/o");
    }

    std::vector<std::string> Entries() const
    {
        return {in / "boom-crashme.png", in / "cut.png", in / "good1.png", in / "good2.png", in / "missing.png",
                in / "notes.png"};
    }

    ScratchFolder in;
    ScratchFolder out;
};

TEST_F(RealBatch, ReportsExactlyTheBadFilesAndWritesTheGoodOnes)
{
    ConversionEngine engine(RealOptions(2));
    BatchRun run(engine, engine.ConversionWorkerCount());
    NullProgress progress;
    const BatchOutcome outcome = run.Run(BatchRequest{Entries(), out / "o", {kTypeBmp}}, progress);

    std::vector<std::string> failed;
    for (const BatchFailure& f : outcome.failures)
        failed.push_back(f.inputPath);
    EXPECT_EQ(failed, (std::vector<std::string>{in / "boom-crashme.png", in / "cut.png", in / "missing.png",
                                                in / "notes.png"}));
    EXPECT_NE(outcome.failures[0].reason.find("SIGABRT"), std::string::npos) << outcome.failures[0].reason;
    EXPECT_EQ(outcome.written, 2u);
    EXPECT_GT(fs::file_size(out / "o/good1.bmp"), 0u);
    EXPECT_GT(fs::file_size(out / "o/good2.bmp"), 0u);
    EXPECT_FALSE(fs::exists(out / "o/cut.bmp"));
    EXPECT_FALSE(fs::exists(out / "o/notes.bmp"));
    EXPECT_FALSE(fs::exists(out / "o/boom-crashme.bmp"));
    EXPECT_EQ(outcome.message.rfind("Convert picture failed.\n2 of 6 pictures were written.\n", 0), 0u) << outcome.message;

    // The pool recovered from the crash.
    const ConversionResult again = engine.Run(ConversionJob{in / "good1.png", kTypePng, {{out / "o/again.tif", kTypeTif}}});
    EXPECT_TRUE(again.outputs.at(0).written) << again.outputs[0].reason;
}

TEST_F(RealBatch, SplitOutputsAreByteIdenticalToOneWorkerAndToThisProcess)
{
    ConversionJob job{in / "good2.png", kTypePng, {}};
    auto jobInto = [&](const std::string& folder) {
        fs::create_directories(folder);
        ConversionJob j = job;
        for (const OutputFormat& f : OutputFormats())
            j.outputs.push_back({folder + "/x" + f.extension, f.typeCode});
        return j;
    };
    ConversionEngine two(RealOptions(2));
    ConversionEngine one(RealOptions(1));
    const ConversionResult split = two.Run(jobInto(out / "split"));
    const ConversionResult single = one.Run(jobInto(out / "single"));
    const ConversionResult local = InProcessJobRunner().Run(jobInto(out / "local"));
    for (std::size_t i = 0; i < kOutputFormatCount; ++i) {
        EXPECT_TRUE(split.outputs.at(i).written) << split.outputs[i].path << ": " << split.outputs[i].reason;
        const std::string name = "/x" + std::string(OutputFormats()[i].extension);
        EXPECT_EQ(split.outputs[i].path, out / "split" + name);
        const std::string bytes = ReadFile(out / "split" + name);
        EXPECT_FALSE(bytes.empty()) << name;
        EXPECT_TRUE(bytes == ReadFile(out / "single" + name)) << name << " differs between two workers and one";
        EXPECT_TRUE(bytes == ReadFile(out / "local" + name)) << name << " differs from an in-process conversion";
    }
    EXPECT_TRUE(single.decoded);
    EXPECT_TRUE(local.decoded);
}

TEST_F(RealBatch, EntriesSharingAnOutputEndWithTheLaterEntrysPicture)
{
    fs::create_directories(in / "a");
    fs::create_directories(in / "b");
    fs::copy_file(kSuite + "basn2c08.png", in / "a/x.png");
    fs::copy_file(kSuite + "s09n3p02.png", in / "b/x.png");
    ConversionEngine engine(RealOptions(2));
    BatchRun run(engine, 2);
    NullProgress progress;
    for (int round = 0; round < 3; ++round) {
        const BatchOutcome outcome = run.Run(BatchRequest{{in / "a/x.png", in / "b/x.png"}, out / "o", {kTypePng}}, progress);
        EXPECT_EQ(outcome.message, "Convert picture failed.\n1 of 2 pictures were written.\n" + (in / "a/x.png")
                                       + ": replaced by " + (in / "b/x.png") + ", which has the same name");
        engine.Run(ConversionJob{in / "b/x.png", kTypePng, {{out / "expected.png", kTypePng}}});
        EXPECT_TRUE(ReadFile(out / "o/x.png") == ReadFile(out / "expected.png"));
    }
}

TEST_F(RealBatch, PreviewComesBackFittedIntoTheArea)
{
    ConversionEngine engine(RealOptions(1));
    const PreviewResult preview = engine.Preview(PreviewRequest{in / "good1.png", kTypePng, 250, 200});
    ASSERT_TRUE(preview.ok) << preview.error;
    EXPECT_EQ(preview.pictureWidth, 32u);
    EXPECT_EQ(preview.rect, (PreviewRect{25, 0, 225, 200}));
    EXPECT_EQ(preview.rgba.size(), 200u * 200u * 4u);
    EXPECT_FALSE(engine.Preview(PreviewRequest{in / "notes.png", kTypePng, 250, 200}).ok);
}

}  // namespace
