// The engine with the real worker program and real pictures: faults and bad
// files cost only themselves, and splitting a job changes no output byte.
#include "BatchRun.h"
#include "CodecEnvironment.h"
#include "ConversionEngine.h"
#include "InProcessJobs.h"
#include "OutputFormat.h"
#include "ReadableFormats.h"
#include "WorkerProcess.h"
#include "WorkerProtocol.h"

#include "AddressSanitizer.h"
#include "NullProgress.h"
#include "ScratchFolder.h"
#include "TestEngine.h"
#include "TestPictures.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sys/wait.h>
#include <unistd.h>

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

// One sample of every readable format, converted by a worker under the
// policy the build generated: a format the policy leaves out fails here.
TEST(RealWorker, ConvertsEveryReadableFormatUnderTheShippedPolicy)
{
    ScratchFolder folder;
    const std::map<std::string, std::pair<const char*, const char*>> samples = {
        {"BMP", {"BMP", "s.bmp"}},   {"GIF", {"GIF", "s.gif"}},     {"JPEG", {"JPEG", "s.jpeg"}},
        {"PNG", {"PNG", "s.png"}},   {"ICO", {"ICO", "s.ico"}},     {"CUR", {"CUR", "s.cur"}},
        {"TIFF", {"TIFF", "s.tif"}}, {"PCX", {"PCX", "s.pcx"}},     {"WebP", {"WEBP", "s.webp"}},
        {"HEIC", {"HEIC", "s.heic"}}, {"Netpbm", {"PPM", "s.ppm"}}, {"TGA", {"TGA", "s.tga"}},
        {"camera raw", {nullptr, "s.nef"}}};
    ConversionEngine engine(RealOptions(1));
    ASSERT_EQ(engine.PolicyFolder(), TESSAGLYPH_BINARY_DIR "/magick");
    for (const ReadableFormat& format : ReadableFormats()) {
        ASSERT_EQ(samples.count(format.name), 1u) << "no sample of " << format.name;
        const auto [magick, name] = samples.at(format.name);
        const std::string path = folder / name;
        if (magick == nullptr) {
            WriteFile(path, MinimalDng(40, 30));
        } else {
            // In a child: x265, which writes HEIC, leaks a block per encoder.
            const pid_t child = fork();
            if (child == 0) {
                SavePicture(ColourPicture(40, 30), magick, path);
                _exit(0);
            }
            int status = 0;
            ASSERT_TRUE(waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0) << name;
        }
        const ConversionResult result =
            engine.Run(ConversionJob{path, TypeFromPath(path), {{path + ".png", kTypePng}}});
        ASSERT_TRUE(result.outputs.at(0).written) << format.name << ": " << result.outputs[0].reason;
        EXPECT_EQ(LoadPicture(path + ".png", "PNG").columns(), 40u) << format.name;
    }
}

TEST(RealWorker, WorkersRunUnderAMemoryCeiling)
{
    if (kUnderAddressSanitizer)
        GTEST_SKIP() << "AddressSanitizer's shadow memory rules out a data size limit";
    std::string error;
    const std::unique_ptr<WorkerProcess> worker = WorkerProcess::Start(
        WorkerLaunch{TESSAGLYPH_BINARY_DIR "/tessaglyph-convert", {"--worker"}, {}}, &error);
    ASSERT_TRUE(worker) << error;
    const WorkerReply reply = worker->Exchange(*EncodePreviewRequest(1, PreviewRequest{"/nowhere", 0, 10, 10}), 30s);
    ASSERT_GT(reply.workerPid, 0);
    std::ifstream limits("/proc/" + std::to_string(reply.workerPid) + "/limits");
    std::string line;
    while (std::getline(limits, line) && line.rfind("Max data size", 0) != 0) {
    }
    EXPECT_EQ(line.substr(26, line.find(' ', 26) - 26), std::to_string(kWorkerMemoryBytes)) << line;
}

}  // namespace
