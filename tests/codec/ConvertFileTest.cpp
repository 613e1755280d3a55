#include "ConvertFile.h"
#include "ConvertMessages.h"
#include "InProcessJobs.h"
#include "ScratchFolder.h"
#include "TestPictures.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class RecordingSink final : public IMessageSink {
public:
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    std::vector<std::string> messages;
};

// Records the jobs and answers with a scripted result.
class ScriptedRunner final : public IJobRunner {
public:
    ConversionResult Run(const ConversionJob& job) override
    {
        jobs.push_back(job);
        ConversionResult result = answer;
        if (result.outputs.empty()) {
            for (const OutputRequest& output : job.outputs)
                result.outputs.push_back({output.path, output.typeCode, true, {}});
        }
        return result;
    }
    std::vector<ConversionJob> jobs;
    ConversionResult answer{true, {}, {}, {}};
};

FormatFlags Ticked(std::initializer_list<const char*> labels)
{
    FormatFlags flags{};
    for (const char* label : labels) {
        for (std::size_t row = 0; row < kOutputFormatCount; ++row) {
            if (std::string(OutputFormats()[row].label) == label)
                flags[row] = 1;
        }
    }
    return flags;
}

std::vector<std::string> Paths(const ConversionJob& job)
{
    std::vector<std::string> paths;
    for (const OutputRequest& output : job.outputs)
        paths.push_back(output.path);
    return paths;
}

class ConvertFileTest : public testing::Test {
protected:
    RecordingSink sink;
    ScriptedRunner runner;
};

// --- Refusals and their order ----------------------------------------------

TEST_F(ConvertFileTest, MissingInputOrFolderIsRefusedFirst)
{
    ConvertFile("", "/out", Ticked({"bmp"}), runner, sink);
    ConvertFile("/pics/photo.png", "", Ticked({"bmp"}), runner, sink);
    ConvertFile("", "", FormatFlags{}, runner, sink);  // before the format check
    EXPECT_EQ(sink.messages, std::vector<std::string>(3, kMsgSelectInAndOut));
    EXPECT_TRUE(runner.jobs.empty());
}

TEST_F(ConvertFileTest, NothingTickedIsRefused)
{
    ConvertFile("/pics/photo.png", "/out", FormatFlags{}, runner, sink);
    EXPECT_EQ(sink.messages, std::vector<std::string>{kMsgSelectOutType});
    EXPECT_TRUE(runner.jobs.empty());
}

// --- Naming and order -------------------------------------------------------

TEST_F(ConvertFileTest, NamesOutputsInTableOrder)
{
    const ConversionPlan plan = PlanConversion("/pics/photo.png", "/out", FormatFlags{1, 1, 1, 1, 1, 1, 1, 1, 1});
    ASSERT_FALSE(plan.refused);
    EXPECT_EQ(plan.job.inputPath, "/pics/photo.png");
    EXPECT_EQ(plan.job.inputType, kTypePng);
    EXPECT_EQ(Paths(plan.job), (std::vector<std::string>{"/out/photo.bmp", "/out/photo.jpg", "/out/photo.gif",
                                                          "/out/photo.pcx", "/out/photo.png", "/out/photo.ico",
                                                          "/out/photo.tif", "/out/photo.tga", "/out/photo.raw"}));
    std::vector<std::uint32_t> types;
    for (const OutputRequest& output : plan.job.outputs)
        types.push_back(output.typeCode);
    EXPECT_EQ(types, (std::vector<std::uint32_t>{1, 3, 2, 8, 4, 5, 6, 7, 19}));
}

TEST_F(ConvertFileTest, NamesFollowTheFolderAndTitleRules)
{
    struct Case {
        const char* input;
        const char* folder;
        std::uint32_t inputType;
        std::vector<std::string> outputs;
    };
    for (const Case& c : {Case{"/pics/photo.png", "/out/", kTypePng, {"/out/photo.bmp", "/out/photo.jpg"}},
                          Case{"/pics/photo.png", "/", kTypePng, {"/photo.bmp", "/photo.jpg"}},
                          Case{"photo.tar.gz", "/out", kTypeUnknown, {"/out/photo.tar.bmp", "/out/photo.tar.jpg"}},
                          Case{"/my.pics/scan", "/out", kTypeUnknown, {"/out/scan.bmp", "/out/scan.jpg"}},
                          Case{"/pics/photo.jpeg", "/out", kTypeUnknown, {"/out/photo.bmp", "/out/photo.jpg"}}}) {
        const ConversionPlan plan = PlanConversion(c.input, c.folder, Ticked({"jpg", "bmp"}));
        EXPECT_EQ(Paths(plan.job), c.outputs) << c.input;
        EXPECT_EQ(plan.job.inputType, c.inputType) << c.input;
    }
}

// --- The one message ----------------------------------------------------------

TEST_F(ConvertFileTest, OkOnlyWhenEveryOutputWasWritten)
{
    ConvertFile("/pics/photo.png", "/out", Ticked({"bmp", "jpg"}), runner, sink);
    ASSERT_EQ(runner.jobs.size(), 1u);
    EXPECT_EQ(sink.messages, std::vector<std::string>{kMsgConvertOk});

    runner.answer.outputs = {{"/out/photo.bmp", 1, true, {}}, {"/out/photo.jpg", 3, false, "permission denied"}};
    ConvertFile("/pics/photo.png", "/out", Ticked({"bmp", "jpg"}), runner, sink);
    ASSERT_EQ(sink.messages.size(), 2u);
    EXPECT_EQ(sink.messages[1], "Convert picture failed.\n/out/photo.jpg: permission denied");
}

TEST_F(ConvertFileTest, ListsEveryOutputNotWritten)
{
    const ConversionJob job{"/pics/photo.png", kTypePng, {{"/out/photo.bmp", 1}, {"/out/photo.gif", 2}, {"/out/photo.png", 4}}};
    ConversionResult result{true, {}, {{"/out/photo.bmp", 1, false, "the disk is full"},
                                       {"/out/photo.gif", 2, true, {}},
                                       {"/out/photo.png", 4, false, "it would replace the input picture"}},
                            {}};
    EXPECT_EQ(ConversionMessage(job, result),
              "Convert picture failed.\n/out/photo.bmp: the disk is full\n"
              "/out/photo.png: it would replace the input picture");
    // An output the runner did not report is not taken as written.
    result.outputs.resize(1);
    EXPECT_EQ(ConversionMessage(job, result),
              "Convert picture failed.\n/out/photo.bmp: the disk is full\n/out/photo.gif: it was not written\n"
              "/out/photo.png: it was not written");
}

TEST_F(ConvertFileTest, ADamagedPictureFailsWithItsOwnLineFirst)
{
    const ConversionJob job{"/pics/cut.jpg", kTypeJpg, {{"/out/cut.bmp", 1}, {"/out/cut.gif", 2}}};
    ConversionResult result{true, {}, {{"/out/cut.bmp", 1, true, {}}, {"/out/cut.gif", 2, false, "the disk is full"}},
                            "premature end of JPEG file"};
    EXPECT_EQ(ConversionMessage(job, result),
              "Convert picture failed.\n/pics/cut.jpg: the picture is damaged (premature end of JPEG file); what "
              "could be read was written\n/out/cut.gif: the disk is full");
    result.outputs[0].written = false;
    EXPECT_EQ(ConversionMessage(job, result),
              "Convert picture failed.\n/pics/cut.jpg: the picture is damaged (premature end of JPEG file)\n"
              "/out/cut.bmp: it was not written\n/out/cut.gif: the disk is full");
}

TEST_F(ConvertFileTest, AnInputThatDoesNotDecodeGivesOneLine)
{
    const ConversionJob job{"/pics/photo.png", kTypePng, {{"/out/photo.bmp", 1}, {"/out/photo.jpg", 3}}};
    const ConversionResult result{false, "the file does not exist",
                                  {{"/out/photo.bmp", 1, false, "x"}, {"/out/photo.jpg", 3, false, "x"}},
                                  {}};
    EXPECT_EQ(ConversionMessage(job, result), "Convert picture failed.\n/pics/photo.png: the file does not exist");
}

// --- End to end, in this process --------------------------------------------------

TEST_F(ConvertFileTest, ConvertsARealPictureAndReportsRealFailures)
{
    ScratchFolder folder;
    SavePicture(ColourPicture(32, 24), "PNG", folder.File("photo.png"));
    InProcessJobRunner inProcess;

    ConvertFile(folder.File("photo.png"), folder.Path(), Ticked({"bmp", "jpg"}), inProcess, sink);
    EXPECT_EQ(sink.messages.back(), kMsgConvertOk);
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"photo.bmp", "photo.jpg", "photo.png"}));

    // The mended fault: ticking the input's own format must not replace it.
    const std::vector<std::uint8_t> original = ReadAll(folder.File("photo.png"));
    ConvertFile(folder.File("photo.png"), folder.Path() + "/", Ticked({"png", "gif"}), inProcess, sink);
    EXPECT_EQ(sink.messages.back(),
              "Convert picture failed.\n" + folder.File("photo.png") + ": it would replace the input picture");
    EXPECT_EQ(ReadAll(folder.File("photo.png")), original);

    // The mended fault: an input that cannot be read is not reported as OK.
    ConvertFile(folder.File("missing.png"), folder.Path(), Ticked({"tif"}), inProcess, sink);
    EXPECT_EQ(sink.messages.back(), "Convert picture failed.\n" + folder.File("missing.png") +
                                        ": the file does not exist");
    ConvertFile(folder.File("photo.png"), folder.File("no-such-folder"), Ticked({"tif"}), inProcess, sink);
    EXPECT_EQ(sink.messages.back(), "Convert picture failed.\n" + folder.File("no-such-folder/photo.tif") +
                                        ": the folder does not exist");
    EXPECT_EQ(sink.messages.size(), 4u);
}

}  // namespace
