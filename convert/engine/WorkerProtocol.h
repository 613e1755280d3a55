#pragma once

#include "ConversionJob.h"
#include "PreviewJob.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The framing between the window (or the command-line converter) and its
// worker processes. A frame is
//   'T' 'G' 'W' <version> <payload length: u32 LE> <payload>
// and a payload is <message type: u8> <job id: u64 LE> <fields>. Strings and
// byte buffers carry a u32 length before their bytes. Every length is checked
// against the caps below before anything is allocated, so bytes from a broken
// or hostile worker can cost at most one capped frame of memory. A conversion
// request ends with the job's options as OptionsToText gives them (only those
// that differ from the defaults); each output of its answer ends with whether
// it was skipped and the name it was written under when renamed.

constexpr std::uint8_t kWorkerProtocolVersion = 3;
constexpr std::size_t kFrameHeaderSize = 8;
constexpr std::size_t kMaxStringBytes = 1u << 20;
constexpr std::size_t kMaxOutputsPerJob = 64;
// Previews are for a frame on screen; 4096 on a side leaves room for any display.
constexpr int kMaxPreviewSide = 4096;
constexpr std::size_t kMaxFramePayload = std::size_t{kMaxPreviewSide} * kMaxPreviewSide * 4 + (1u << 20);

enum class WorkerMessageType : std::uint8_t {
    ConvertRequest = 1,
    PreviewRequest = 2,
    ExitRequest = 3,
    ConvertResponse = 0x81,
    PreviewResponse = 0x82,
};

// One decoded frame. Only the member that belongs to `type` is filled.
struct WorkerMessage {
    WorkerMessageType type = WorkerMessageType::ExitRequest;
    std::uint64_t jobId = 0;
    ConversionJob job;              // ConvertRequest
    PreviewRequest preview;         // PreviewRequest
    ConversionResult result;        // ConvertResponse
    PreviewResult previewResult;    // PreviewResponse
};

// Encoders. They give nullopt when a field passes a cap (a path longer than
// kMaxStringBytes, more than kMaxOutputsPerJob outputs, a preview area over
// kMaxPreviewSide); the caller reports that job as failed. Responses clip
// their free-text reasons to the cap instead, since those are only messages.
std::optional<std::vector<std::uint8_t>> EncodeConvertRequest(std::uint64_t jobId, const ConversionJob& job);
std::optional<std::vector<std::uint8_t>> EncodePreviewRequest(std::uint64_t jobId, const PreviewRequest& request);
std::vector<std::uint8_t> EncodeExitRequest();
std::optional<std::vector<std::uint8_t>> EncodeConvertResponse(std::uint64_t jobId, const ConversionResult& result);
std::optional<std::vector<std::uint8_t>> EncodePreviewResponse(std::uint64_t jobId, const PreviewResult& result);

enum class FrameStatus {
    Incomplete,  // a frame may still follow: read at least `needed` bytes in all
    Complete,    // `message` holds the frame, which took `size` bytes
    Invalid,     // these bytes can never become a valid frame; `error` says why
};

struct FrameDecodeResult {
    FrameStatus status = FrameStatus::Incomplete;
    std::size_t needed = kFrameHeaderSize;
    std::size_t size = 0;
    WorkerMessage message;
    std::string error;
};

// Decodes the first frame of `data`. A pure function of the bytes: it never
// reads past `size`, never allocates more than the frame's checked lengths,
// and rejects a header whose length passes kMaxFramePayload at once.
FrameDecodeResult DecodeFrame(const std::uint8_t* data, std::size_t size);

// Whether `response` answers the conversion request `jobId` for `job`: the
// same id, a conversion response, one output per request with the same path
// and type code in the same order. `why` gets the reason when it does not.
bool AnswersConvertRequest(const WorkerMessage& response, std::uint64_t jobId, const ConversionJob& job,
                           std::string* why);

// The same for a preview: the same id, and when ok a rectangle inside the
// requested area whose pixel count matches the RGBA bytes.
bool AnswersPreviewRequest(const WorkerMessage& response, std::uint64_t jobId, const PreviewRequest& request,
                           std::string* why);
