#include "WorkerProtocol.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint8_t kMagic[3] = {'T', 'G', 'W'};

class Writer {
public:
    explicit Writer(WorkerMessageType type, std::uint64_t jobId)
    {
        m_bytes.reserve(256);
        for (std::uint8_t c : kMagic)
            m_bytes.push_back(c);
        m_bytes.push_back(kWorkerProtocolVersion);
        U32(0);  // payload length, patched by Finish()
        U8(static_cast<std::uint8_t>(type));
        U64(jobId);
    }

    void U8(std::uint8_t v) { m_bytes.push_back(v); }
    void U32(std::uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            m_bytes.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    void I32(std::int32_t v) { U32(static_cast<std::uint32_t>(v)); }
    void U64(std::uint64_t v)
    {
        for (int i = 0; i < 8; ++i)
            m_bytes.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    bool Str(const std::string& s)
    {
        if (s.size() > kMaxStringBytes)
            return false;
        U32(static_cast<std::uint32_t>(s.size()));
        m_bytes.insert(m_bytes.end(), s.begin(), s.end());
        return true;
    }
    // Messages for the user: clipped rather than refused.
    void Text(const std::string& s) { Str(s.size() > kMaxStringBytes ? s.substr(0, kMaxStringBytes) : s); }
    void Bytes(const std::vector<std::uint8_t>& b)
    {
        U32(static_cast<std::uint32_t>(b.size()));
        m_bytes.insert(m_bytes.end(), b.begin(), b.end());
    }

    std::optional<std::vector<std::uint8_t>> Finish()
    {
        const std::size_t payload = m_bytes.size() - kFrameHeaderSize;
        if (payload > kMaxFramePayload)
            return std::nullopt;
        for (int i = 0; i < 4; ++i)
            m_bytes[4 + i] = static_cast<std::uint8_t>(payload >> (8 * i));
        return std::move(m_bytes);
    }

private:
    std::vector<std::uint8_t> m_bytes;
};

// Reads fields of one payload; once a read fails every later read fails too,
// so callers check `Ok()` once at the end.
class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    bool Ok() const { return m_ok; }
    bool AtEnd() const { return m_pos == m_size; }
    const std::string& Error() const { return m_error; }

    std::uint8_t U8()
    {
        if (!Need(1))
            return 0;
        return m_data[m_pos++];
    }
    std::uint32_t U32()
    {
        if (!Need(4))
            return 0;
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v |= std::uint32_t{m_data[m_pos + i]} << (8 * i);
        m_pos += 4;
        return v;
    }
    std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
    std::uint64_t U64()
    {
        if (!Need(8))
            return 0;
        std::uint64_t v = 0;
        for (int i = 0; i < 8; ++i)
            v |= std::uint64_t{m_data[m_pos + i]} << (8 * i);
        m_pos += 8;
        return v;
    }
    bool Bool()
    {
        const std::uint8_t v = U8();
        if (v > 1)
            Fail("a flag is neither 0 nor 1");
        return v == 1;
    }
    std::string Str()
    {
        const std::uint32_t length = U32();
        if (length > kMaxStringBytes)
            Fail("a string is longer than the protocol allows");
        if (!Need(length))
            return {};
        std::string s(reinterpret_cast<const char*>(m_data + m_pos), length);
        m_pos += length;
        return s;
    }
    std::vector<std::uint8_t> Bytes(std::size_t expected)
    {
        const std::uint32_t length = U32();
        if (m_ok && length != expected)
            Fail("the pixel data does not match the picture size");
        if (!Need(length))
            return {};
        std::vector<std::uint8_t> b(m_data + m_pos, m_data + m_pos + length);
        m_pos += length;
        return b;
    }
    void Fail(const char* why)
    {
        if (m_ok)
            m_error = why;
        m_ok = false;
    }

private:
    bool Need(std::size_t n)
    {
        if (m_ok && n > m_size - m_pos)
            Fail("the frame ends inside a field");
        return m_ok;
    }

    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
    bool m_ok = true;
    std::string m_error;
};

// The bytes of RGBA pixels a preview rectangle holds, or nothing when its
// edges are out of order or it passes the largest preview (checked in 64
// bits, so no pair of 32-bit edges can overflow).
std::optional<std::size_t> PreviewPixelBytes(const PreviewRect& r)
{
    const std::int64_t w = std::int64_t{r.right} - r.left;
    const std::int64_t h = std::int64_t{r.bottom} - r.top;
    if (w < 0 || h < 0 || w > kMaxPreviewSide || h > kMaxPreviewSide)
        return std::nullopt;
    return static_cast<std::size_t>(w * h * 4);
}

// An answer of the expected type for the job sent; says why not.
bool AnswersJob(const WorkerMessage& response, WorkerMessageType type, std::uint64_t jobId, std::string* why)
{
    const char* wrong = response.type != type ? "the worker answered with another kind of message"
                        : response.jobId != jobId ? "the worker answered another job"
                                                  : nullptr;
    if (wrong && why)
        *why = wrong;
    return wrong == nullptr;
}

bool PreviewAreaFits(const PreviewRequest& r)
{
    return r.areaWidth >= 0 && r.areaHeight >= 0 && r.areaWidth <= kMaxPreviewSide && r.areaHeight <= kMaxPreviewSide;
}

void ReadConvertRequest(Reader& in, ConversionJob& job)
{
    job.inputPath = in.Str();
    job.inputType = in.U32();
    const std::uint32_t count = in.U32();
    if (count > kMaxOutputsPerJob) {
        in.Fail("too many outputs in one job");
        return;
    }
    for (std::uint32_t i = 0; i < count && in.Ok(); ++i) {
        OutputRequest out;
        out.path = in.Str();
        out.typeCode = in.U32();
        job.outputs.push_back(std::move(out));
    }
    const std::string options = in.Str();
    std::string why;
    // One written form only, so a frame means one job and encodes back to itself.
    if (in.Ok() && (!OptionsFromText(options, job.options, why) || OptionsToText(job.options) != options))
        in.Fail("the job's options cannot be read");
}

void ReadPreviewRequest(Reader& in, PreviewRequest& request)
{
    request.path = in.Str();
    request.inputType = in.U32();
    request.areaWidth = in.I32();
    request.areaHeight = in.I32();
    if (in.Ok() && !PreviewAreaFits(request))
        in.Fail("the preview area is out of range");
}

void ReadConvertResponse(Reader& in, ConversionResult& result)
{
    result.decoded = in.Bool();
    result.decodeError = in.Str();
    result.damage = in.Str();
    const std::uint32_t count = in.U32();
    if (count > kMaxOutputsPerJob) {
        in.Fail("too many outputs in one answer");
        return;
    }
    for (std::uint32_t i = 0; i < count && in.Ok(); ++i) {
        OutputResult out;
        out.path = in.Str();
        out.typeCode = in.U32();
        out.written = in.Bool();
        out.reason = in.Str();
        out.skipped = in.Bool();
        out.renamedTo = in.Str();
        result.outputs.push_back(std::move(out));
    }
}

void ReadPreviewResponse(Reader& in, PreviewResult& result)
{
    result.ok = in.Bool();
    result.error = in.Str();
    result.pictureWidth = in.U32();
    result.pictureHeight = in.U32();
    result.rect.left = in.I32();
    result.rect.top = in.I32();
    result.rect.right = in.I32();
    result.rect.bottom = in.I32();
    if (!in.Ok())
        return;
    const std::optional<std::size_t> bytes = PreviewPixelBytes(result.rect);
    if (!bytes) {
        in.Fail("the preview rectangle is out of range");
        return;
    }
    result.rgba = in.Bytes(*bytes);
}

}  // namespace

std::optional<std::vector<std::uint8_t>> EncodeConvertRequest(std::uint64_t jobId, const ConversionJob& job)
{
    if (job.outputs.size() > kMaxOutputsPerJob)
        return std::nullopt;
    Writer out(WorkerMessageType::ConvertRequest, jobId);
    if (!out.Str(job.inputPath))
        return std::nullopt;
    out.U32(job.inputType);
    out.U32(static_cast<std::uint32_t>(job.outputs.size()));
    for (const OutputRequest& o : job.outputs) {
        if (!out.Str(o.path))
            return std::nullopt;
        out.U32(o.typeCode);
    }
    out.Str(OptionsToText(job.options));
    return out.Finish();
}

std::optional<std::vector<std::uint8_t>> EncodePreviewRequest(std::uint64_t jobId, const PreviewRequest& request)
{
    if (!PreviewAreaFits(request))
        return std::nullopt;
    Writer out(WorkerMessageType::PreviewRequest, jobId);
    if (!out.Str(request.path))
        return std::nullopt;
    out.U32(request.inputType);
    out.I32(request.areaWidth);
    out.I32(request.areaHeight);
    return out.Finish();
}

std::vector<std::uint8_t> EncodeExitRequest()
{
    return *Writer(WorkerMessageType::ExitRequest, 0).Finish();
}

std::optional<std::vector<std::uint8_t>> EncodeConvertResponse(std::uint64_t jobId, const ConversionResult& result)
{
    if (result.outputs.size() > kMaxOutputsPerJob)
        return std::nullopt;
    Writer out(WorkerMessageType::ConvertResponse, jobId);
    out.U8(result.decoded ? 1 : 0);
    out.Text(result.decodeError);
    out.Text(result.damage);
    out.U32(static_cast<std::uint32_t>(result.outputs.size()));
    for (const OutputResult& o : result.outputs) {
        if (!out.Str(o.path))
            return std::nullopt;
        out.U32(o.typeCode);
        out.U8(o.written ? 1 : 0);
        out.Text(o.reason);
        out.U8(o.skipped ? 1 : 0);
        if (!out.Str(o.renamedTo))
            return std::nullopt;
    }
    return out.Finish();
}

std::optional<std::vector<std::uint8_t>> EncodePreviewResponse(std::uint64_t jobId, const PreviewResult& result)
{
    const PreviewRect& r = result.rect;
    const std::optional<std::size_t> bytes = PreviewPixelBytes(r);
    if (!bytes || result.rgba.size() != *bytes)
        return std::nullopt;
    Writer out(WorkerMessageType::PreviewResponse, jobId);
    out.U8(result.ok ? 1 : 0);
    out.Text(result.error);
    out.U32(result.pictureWidth);
    out.U32(result.pictureHeight);
    out.I32(r.left);
    out.I32(r.top);
    out.I32(r.right);
    out.I32(r.bottom);
    out.Bytes(result.rgba);
    return out.Finish();
}

FrameDecodeResult DecodeFrame(const std::uint8_t* data, std::size_t size)
{
    FrameDecodeResult frame;
    if (size == 0)
        return frame;
    const std::size_t magicBytes = std::min(size, sizeof kMagic);
    if (std::memcmp(data, kMagic, magicBytes) != 0) {
        frame.status = FrameStatus::Invalid;
        frame.error = "the answer does not start with a frame";
        return frame;
    }
    if (size > sizeof kMagic && data[3] != kWorkerProtocolVersion) {
        frame.status = FrameStatus::Invalid;
        frame.error = "the answer uses another protocol version";
        return frame;
    }
    if (size < kFrameHeaderSize)
        return frame;

    std::size_t payload = 0;
    for (int i = 0; i < 4; ++i)
        payload |= std::size_t{data[4 + i]} << (8 * i);
    if (payload > kMaxFramePayload) {
        frame.status = FrameStatus::Invalid;
        frame.error = "the frame is larger than the protocol allows";
        return frame;
    }
    frame.needed = kFrameHeaderSize + payload;
    if (size < frame.needed)
        return frame;

    Reader in(data + kFrameHeaderSize, payload);
    WorkerMessage& m = frame.message;
    const std::uint8_t type = in.U8();
    m.jobId = in.U64();
    switch (type) {
    case static_cast<std::uint8_t>(WorkerMessageType::ConvertRequest):
        m.type = WorkerMessageType::ConvertRequest;
        ReadConvertRequest(in, m.job);
        break;
    case static_cast<std::uint8_t>(WorkerMessageType::PreviewRequest):
        m.type = WorkerMessageType::PreviewRequest;
        ReadPreviewRequest(in, m.preview);
        break;
    case static_cast<std::uint8_t>(WorkerMessageType::ExitRequest):
        m.type = WorkerMessageType::ExitRequest;
        break;
    case static_cast<std::uint8_t>(WorkerMessageType::ConvertResponse):
        m.type = WorkerMessageType::ConvertResponse;
        ReadConvertResponse(in, m.result);
        break;
    case static_cast<std::uint8_t>(WorkerMessageType::PreviewResponse):
        m.type = WorkerMessageType::PreviewResponse;
        ReadPreviewResponse(in, m.previewResult);
        break;
    default:
        in.Fail("unknown message type");
        break;
    }
    if (in.Ok() && !in.AtEnd())
        in.Fail("the frame holds bytes after its last field");
    if (!in.Ok()) {
        frame.status = FrameStatus::Invalid;
        frame.error = in.Error();
        frame.message = WorkerMessage{};
        return frame;
    }
    frame.status = FrameStatus::Complete;
    frame.size = frame.needed;
    return frame;
}

bool AnswersConvertRequest(const WorkerMessage& response, std::uint64_t jobId, const ConversionJob& job,
                           std::string* why)
{
    auto fail = [why](const char* text) {
        if (why)
            *why = text;
        return false;
    };
    if (!AnswersJob(response, WorkerMessageType::ConvertResponse, jobId, why))
        return false;
    const auto& outs = response.result.outputs;
    if (outs.size() != job.outputs.size())
        return fail("the worker answered a different number of outputs");
    for (std::size_t i = 0; i < outs.size(); ++i) {
        if (outs[i].path != job.outputs[i].path || outs[i].typeCode != job.outputs[i].typeCode)
            return fail("the worker answered for other outputs");
    }
    return true;
}

bool AnswersPreviewRequest(const WorkerMessage& response, std::uint64_t jobId, const PreviewRequest& request,
                           std::string* why)
{
    auto fail = [why](const char* text) {
        if (why)
            *why = text;
        return false;
    };
    if (!AnswersJob(response, WorkerMessageType::PreviewResponse, jobId, why))
        return false;
    const PreviewResult& r = response.previewResult;
    if (r.ok) {
        const PreviewRect& rect = r.rect;
        if (rect.left < 0 || rect.top < 0 || rect.right > request.areaWidth || rect.bottom > request.areaHeight)
            return fail("the preview lies outside its area");
    } else if (!r.rgba.empty()) {
        return fail("a failed preview carries pixels");
    }
    return true;
}
