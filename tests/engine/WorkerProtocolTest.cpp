#include "WorkerProtocol.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

ConversionJob SampleJob()
{
    ConversionJob job;
    job.inputPath = "/pics/ph\xC3\xB6to.png";
    job.inputType = 4;
    job.outputs = {{"/out/photo.gif", 2}, {"/out/photo.bmp", 1}};
    return job;
}

ConversionResult SampleResult()
{
    ConversionResult result;
    result.decoded = true;
    result.outputs = {{"/out/photo.gif", 2, true, ""}, {"/out/photo.bmp", 1, false, "disk full"}};
    return result;
}

PreviewResult SamplePreview()
{
    PreviewResult p;
    p.ok = true;
    p.pictureWidth = 100;
    p.pictureHeight = 50;
    p.rect = PreviewRect{0, 37, 4, 39};
    p.rgba = Bytes(4 * 2 * 4, 7);
    return p;
}

void PutU32(Bytes& b, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

FrameDecodeResult Decode(const Bytes& b)
{
    return DecodeFrame(b.data(), b.size());
}

TEST(WorkerProtocolTest, EveryMessageSurvivesTheRoundTrip)
{
    auto frame = Decode(*EncodeConvertRequest(7, SampleJob()));
    ASSERT_EQ(frame.status, FrameStatus::Complete) << frame.error;
    EXPECT_EQ(frame.message.type, WorkerMessageType::ConvertRequest);
    EXPECT_EQ(frame.message.jobId, 7u);
    EXPECT_EQ(frame.message.job.inputPath, SampleJob().inputPath);
    ASSERT_EQ(frame.message.job.outputs.size(), 2u);
    EXPECT_EQ(frame.message.job.outputs[1].path, "/out/photo.bmp");
    EXPECT_EQ(frame.message.job.outputs[1].typeCode, 1u);

    frame = Decode(*EncodeConvertResponse(8, SampleResult()));
    ASSERT_EQ(frame.status, FrameStatus::Complete) << frame.error;
    EXPECT_TRUE(frame.message.result.decoded);
    EXPECT_EQ(frame.message.result.outputs[1].reason, "disk full");
    EXPECT_FALSE(frame.message.result.outputs[1].written);

    frame = Decode(*EncodePreviewRequest(9, PreviewRequest{"/a.png", 4, 250, 230}));
    ASSERT_EQ(frame.status, FrameStatus::Complete) << frame.error;
    EXPECT_EQ(frame.message.preview.areaHeight, 230);

    frame = Decode(*EncodePreviewResponse(10, SamplePreview()));
    ASSERT_EQ(frame.status, FrameStatus::Complete) << frame.error;
    EXPECT_EQ(frame.message.previewResult.rect, (PreviewRect{0, 37, 4, 39}));
    EXPECT_EQ(frame.message.previewResult.rgba, SamplePreview().rgba);

    frame = Decode(EncodeExitRequest());
    ASSERT_EQ(frame.status, FrameStatus::Complete);
    EXPECT_EQ(frame.message.type, WorkerMessageType::ExitRequest);
}

TEST(WorkerProtocolTest, TruncatedFramesAreIncompleteAndAskForMore)
{
    const Bytes full = *EncodeConvertResponse(8, SampleResult());
    for (std::size_t n = 0; n < full.size(); ++n) {
        const auto frame = DecodeFrame(full.data(), n);
        ASSERT_EQ(frame.status, FrameStatus::Incomplete) << n;
        EXPECT_GT(frame.needed, n);
        EXPECT_LE(frame.needed, full.size());
    }
}

TEST(WorkerProtocolTest, RejectsBadHeadersBeforeReadingThePayload)
{
    Bytes noise = {'H', 'T', 'T', 'P'};
    EXPECT_EQ(Decode(noise).status, FrameStatus::Invalid);

    Bytes version = EncodeExitRequest();
    version[3] = 99;
    EXPECT_EQ(Decode(version).status, FrameStatus::Invalid);

    Bytes huge = {'T', 'G', 'W', kWorkerProtocolVersion, 0, 0, 0, 0};
    PutU32(huge, 4, 0xFFFFFFFFu);
    const auto frame = Decode(huge);
    EXPECT_EQ(frame.status, FrameStatus::Invalid);
    EXPECT_NE(frame.error.find("larger"), std::string::npos);
}

TEST(WorkerProtocolTest, RejectsInconsistentPayloads)
{
    // Header (8) + type (1) + id (8): the first field starts at 17.
    Bytes longString = *EncodeConvertResponse(8, SampleResult());
    PutU32(longString, 18, static_cast<std::uint32_t>(kMaxStringBytes + 1));  // decodeError length
    EXPECT_EQ(Decode(longString).status, FrameStatus::Invalid);

    Bytes pastEnd = *EncodeConvertResponse(8, SampleResult());
    PutU32(pastEnd, 18, 1000);
    EXPECT_EQ(Decode(pastEnd).status, FrameStatus::Invalid);

    ConversionResult many = SampleResult();
    Bytes tooMany = *EncodeConvertResponse(8, many);
    PutU32(tooMany, 22, static_cast<std::uint32_t>(kMaxOutputsPerJob + 1));  // output count
    EXPECT_EQ(Decode(tooMany).status, FrameStatus::Invalid);

    Bytes badFlag = *EncodeConvertResponse(8, SampleResult());
    badFlag[17] = 2;
    EXPECT_EQ(Decode(badFlag).status, FrameStatus::Invalid);

    Bytes trailing = EncodeExitRequest();
    trailing.push_back(0);
    PutU32(trailing, 4, static_cast<std::uint32_t>(trailing.size() - kFrameHeaderSize));
    EXPECT_EQ(Decode(trailing).status, FrameStatus::Invalid);

    Bytes unknownType = EncodeExitRequest();
    unknownType[8] = 0x55;
    EXPECT_EQ(Decode(unknownType).status, FrameStatus::Invalid);
}

TEST(WorkerProtocolTest, RejectsPreviewPixelsThatDoNotMatchTheRectangle)
{
    PreviewResult p = SamplePreview();
    Bytes frame = *EncodePreviewResponse(10, p);
    // rect.right sits after ok(1) error(4) w(4) h(4) left(4) top(4).
    PutU32(frame, 17 + 1 + 4 + 4 + 4 + 4 + 4, 5);
    EXPECT_EQ(Decode(frame).status, FrameStatus::Invalid);

    frame = *EncodePreviewResponse(10, p);
    PutU32(frame, 17 + 1 + 4 + 4 + 4, 0x80000000u);  // left edge far negative
    EXPECT_EQ(Decode(frame).status, FrameStatus::Invalid);

    p.rgba.pop_back();
    EXPECT_FALSE(EncodePreviewResponse(10, p).has_value());
}

TEST(WorkerProtocolTest, EncodersRefuseWhatTheDecoderWouldRefuse)
{
    ConversionJob job = SampleJob();
    job.inputPath.assign(kMaxStringBytes + 1, 'x');
    EXPECT_FALSE(EncodeConvertRequest(1, job).has_value());
    job = SampleJob();
    job.outputs.resize(kMaxOutputsPerJob + 1);
    EXPECT_FALSE(EncodeConvertRequest(1, job).has_value());
    EXPECT_FALSE(EncodePreviewRequest(1, PreviewRequest{"/a.png", 0, kMaxPreviewSide + 1, 10}).has_value());

    ConversionResult chatty = SampleResult();
    chatty.decodeError.assign(kMaxStringBytes + 10, 'e');
    const auto frame = Decode(*EncodeConvertResponse(1, chatty));
    ASSERT_EQ(frame.status, FrameStatus::Complete);
    EXPECT_EQ(frame.message.result.decodeError.size(), kMaxStringBytes);
}

TEST(WorkerProtocolTest, RandomAndMutatedBytesNeverCrashOrOverrun)
{
    std::mt19937 random(12345);
    const Bytes valid = *EncodePreviewResponse(10, SamplePreview());
    for (int round = 0; round < 20000; ++round) {
        Bytes bytes;
        if (round % 2 == 0) {
            bytes = valid;
            const int flips = 1 + static_cast<int>(random() % 4);
            for (int f = 0; f < flips; ++f)
                bytes[random() % bytes.size()] = static_cast<std::uint8_t>(random());
        } else {
            bytes.resize(random() % 64);
            for (auto& b : bytes)
                b = static_cast<std::uint8_t>(random());
            if (bytes.size() >= 4 && round % 4 == 1) {
                bytes[0] = 'T';
                bytes[1] = 'G';
                bytes[2] = 'W';
                bytes[3] = kWorkerProtocolVersion;
            }
        }
        const auto frame = Decode(bytes);
        if (frame.status == FrameStatus::Complete) {
            EXPECT_LE(frame.size, bytes.size());
        } else if (frame.status == FrameStatus::Incomplete) {
            EXPECT_GT(frame.needed, bytes.size());
            EXPECT_LE(frame.needed, kFrameHeaderSize + kMaxFramePayload);
        }
    }
}

TEST(WorkerProtocolTest, AnswersAreMatchedToTheJobThatWasSent)
{
    const ConversionJob job = SampleJob();
    WorkerMessage answer = Decode(*EncodeConvertResponse(8, SampleResult())).message;
    std::string why;
    EXPECT_TRUE(AnswersConvertRequest(answer, 8, job, &why)) << why;
    EXPECT_FALSE(AnswersConvertRequest(answer, 9, job, &why));
    EXPECT_EQ(why, "the worker answered another job");

    WorkerMessage swapped = answer;
    std::swap(swapped.result.outputs[0], swapped.result.outputs[1]);
    EXPECT_FALSE(AnswersConvertRequest(swapped, 8, job, &why));
    WorkerMessage fewer = answer;
    fewer.result.outputs.pop_back();
    EXPECT_FALSE(AnswersConvertRequest(fewer, 8, job, &why));
    const PreviewRequest request{"/a.png", 4, 250, 230};
    EXPECT_FALSE(AnswersConvertRequest(Decode(*EncodePreviewResponse(8, SamplePreview())).message, 8, job, &why));

    WorkerMessage preview = Decode(*EncodePreviewResponse(8, SamplePreview())).message;
    EXPECT_TRUE(AnswersPreviewRequest(preview, 8, request, &why)) << why;
    EXPECT_FALSE(AnswersPreviewRequest(preview, 8, PreviewRequest{"/a.png", 4, 3, 230}, &why));
    EXPECT_EQ(why, "the preview lies outside its area");
    EXPECT_FALSE(AnswersPreviewRequest(answer, 8, request, &why));
}

}  // namespace
