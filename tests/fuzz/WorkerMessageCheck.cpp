#include "FuzzChecks.h"

#include "FuzzInput.h"
#include "SentRequest.h"

#include "OutputFormat.h"
#include "WorkerProtocol.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

// The frame a decoded message encodes to. Only frames the encoders make
// decode at all, so this must give back the bytes that were decoded.
std::optional<Bytes> Reencode(const WorkerMessage& m)
{
    switch (m.type) {
    case WorkerMessageType::ConvertRequest: return EncodeConvertRequest(m.jobId, m.job);
    case WorkerMessageType::PreviewRequest: return EncodePreviewRequest(m.jobId, m.preview);
    case WorkerMessageType::ConvertResponse: return EncodeConvertResponse(m.jobId, m.result);
    case WorkerMessageType::PreviewResponse: return EncodePreviewResponse(m.jobId, m.previewResult);
    case WorkerMessageType::ExitRequest: {
        // The exit request carries an id nobody reads; compare the rest.
        Bytes frame = EncodeExitRequest();
        for (int i = 0; i < 8; ++i)
            frame[kFrameHeaderSize + 1 + i] = static_cast<std::uint8_t>(m.jobId >> (8 * i));
        return frame;
    }
    }
    return std::nullopt;
}

std::string CheckAccepted(const WorkerMessage& answer, const SentRequest& sent)
{
    std::string why;
    if (!sent.isPreview) {
        if (!AnswersConvertRequest(answer, kSentJobId, sent.job, &why))
            return why.empty() ? "a refused conversion answer gave no reason" : std::string();
        if (answer.type != WorkerMessageType::ConvertResponse || answer.jobId != kSentJobId)
            return "an answer to another job or of another kind was accepted";
        const auto& outs = answer.result.outputs;
        if (outs.size() != sent.job.outputs.size())
            return "an answer with another number of outputs was accepted";
        for (std::size_t i = 0; i < outs.size(); ++i) {
            if (outs[i].path != sent.job.outputs[i].path || outs[i].typeCode != sent.job.outputs[i].typeCode)
                return "an answer for outputs that were not asked for was accepted";
        }
        return {};
    }
    if (!AnswersPreviewRequest(answer, kSentJobId, sent.preview, &why))
        return why.empty() ? "a refused preview answer gave no reason" : std::string();
    if (answer.type != WorkerMessageType::PreviewResponse || answer.jobId != kSentJobId)
        return "a preview for another job or of another kind was accepted";
    const PreviewResult& r = answer.previewResult;
    if (!r.ok)
        return r.rgba.empty() ? std::string() : "a failed preview with pixels was accepted";
    const PreviewRect& rect = r.rect;
    if (rect.left < 0 || rect.top < 0 || rect.right > sent.preview.areaWidth ||
        rect.bottom > sent.preview.areaHeight || rect.left > rect.right || rect.top > rect.bottom)
        return "a preview outside its area was accepted";
    const std::size_t pixels = static_cast<std::size_t>(rect.right - rect.left) * static_cast<std::size_t>(rect.bottom - rect.top);
    if (r.rgba.size() != pixels * 4)
        return "a preview whose pixels do not fill its rectangle was accepted";
    return {};
}

}  // namespace

std::string CheckWorkerMessages(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    const std::uint8_t scenario = input.Byte();
    const SentRequest sent = SentRequestFor(scenario);
    // How many bytes each read delivers at most, from one byte up to the
    // engine's 64 KiB reads.
    const std::size_t reads = static_cast<std::size_t>(scenario >> 4);
    const std::size_t chunk = reads == 0 ? 65536 : reads * reads;
    const Bytes answer(input.RestData(), input.RestData() + input.RestSize());

    // Read the way the engine reads a worker's answer: never past the frame
    // that is coming, until it is complete, invalid or the bytes run out.
    Bytes pending;
    std::size_t pos = 0;
    for (;;) {
        FrameDecodeResult frame = DecodeFrame(pending.data(), pending.size());
        if (frame.status == FrameStatus::Invalid) {
            if (frame.error.empty())
                return "an invalid frame gave no reason";
            if (DecodeFrame(answer.data(), answer.size()).status != FrameStatus::Invalid)
                return "bytes rejected as invalid became valid with more bytes after them";
            return {};
        }
        if (frame.status == FrameStatus::Complete) {
            if (frame.size != pending.size())
                return "a frame completed at another size than the bytes read for it";
            const FrameDecodeResult whole = DecodeFrame(answer.data(), answer.size());
            if (whole.status != FrameStatus::Complete || whole.size != frame.size)
                return "the first frame decodes differently when more bytes follow it";
            const std::optional<Bytes> again = Reencode(frame.message);
            if (!again || *again != pending)
                return "a decoded frame does not encode back to its own bytes";
            const std::optional<Bytes> wholeAgain = Reencode(whole.message);
            if (!wholeAgain || *wholeAgain != pending)
                return "the frame decodes to another message when read in one piece";
            return CheckAccepted(frame.message, sent);
        }
        if (frame.needed <= pending.size())
            return "an incomplete frame asks for no more bytes";
        if (frame.needed > kFrameHeaderSize + kMaxFramePayload)
            return "an incomplete frame asks for more than the protocol allows";
        if (pos == answer.size())
            return {};  // the worker stopped before answering: a crashed job, never a result
        const std::size_t take = std::min({chunk, frame.needed - pending.size(), answer.size() - pos});
        pending.insert(pending.end(), answer.begin() + static_cast<std::ptrdiff_t>(pos),
                       answer.begin() + static_cast<std::ptrdiff_t>(pos + take));
        pos += take;
    }
}
