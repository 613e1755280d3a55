#include "WebpEncoder.h"

#include "CompressionProbe.h"
#include "MagickReason.h"
#include "PixelExport.h"

#include <webp/encode.h>
#include <webp/mux.h>

#include <algorithm>
#include <limits>
#include <memory>

namespace {

// libwebp's objects, released on every path out.
class OwnedPicture {
public:
    OwnedPicture() { WebPPictureInit(&m_picture); }
    ~OwnedPicture() { WebPPictureFree(&m_picture); }
    OwnedPicture(const OwnedPicture&) = delete;
    OwnedPicture& operator=(const OwnedPicture&) = delete;
    WebPPicture* get() { return &m_picture; }

private:
    WebPPicture m_picture;
};

class OwnedData {
public:
    OwnedData() { WebPDataInit(&m_data); }
    ~OwnedData() { WebPDataClear(&m_data); }
    OwnedData(const OwnedData&) = delete;
    OwnedData& operator=(const OwnedData&) = delete;
    WebPData* get() { return &m_data; }

private:
    WebPData m_data;
};

struct MuxFree {
    void operator()(WebPMux* mux) const { WebPMuxDelete(mux); }
};
struct AnimEncoderFree {
    void operator()(WebPAnimEncoder* encoder) const { WebPAnimEncoderDelete(encoder); }
};

constexpr const char* kCannotEncode = "the picture cannot be encoded as WebP";

std::string CannotEncode(const std::string& why)
{
    return std::string(kCannotEncode) + " (" + why + ")";
}

std::string EncodingErrorReason(WebPEncodingError code)
{
    switch (code) {
    case VP8_ENC_ERROR_OUT_OF_MEMORY:
    case VP8_ENC_ERROR_BITSTREAM_OUT_OF_MEMORY:
        return "not enough memory";
    case VP8_ENC_ERROR_PARTITION0_OVERFLOW:
    case VP8_ENC_ERROR_PARTITION_OVERFLOW:
        return "too much detail for one partition";
    case VP8_ENC_ERROR_FILE_TOO_BIG:
        return "the file would pass 4 GiB";
    default:
        return "libwebp error " + std::to_string(static_cast<int>(code));
    }
}

bool FitsWebp(std::size_t width, std::size_t height, std::string& error)
{
    if (width <= WEBP_MAX_DIMENSION && height <= WEBP_MAX_DIMENSION)
        return true;
    error = "the picture is too large for WebP (" + std::to_string(width) + " x " + std::to_string(height) +
            " pixels; at most " + std::to_string(WEBP_MAX_DIMENSION) + " a side)";
    return false;
}

bool LooksLossy(const Magick::Image& picture)
{
    return CameFromJpeg(picture) || LooksLikePhoto(picture);
}

// cwebp's defaults but for quality and mode, so it compares like with like.
WebPConfig MakeConfig(bool lossy)
{
    WebPConfig config;
    WebPConfigInit(&config);
    if (lossy)
        config.quality = 90;
    else
        config.lossless = 1;  // quality stays 75, the effort cwebp -lossless spends
    return config;
}

// 8-bit RGB(A) into `picture`; ARGB for lossless and animations (which
// would otherwise go through YUV and back), YUV for lossy stills, as cwebp.
bool ImportPixels(const ExportedPixels& pixels, bool argb, WebPPicture& picture)
{
    picture.use_argb = argb ? 1 : 0;
    picture.width = static_cast<int>(pixels.width);
    picture.height = static_cast<int>(pixels.height);
    const int stride = static_cast<int>(pixels.RowBytes());
    return (pixels.alpha ? WebPPictureImportRGBA(&picture, pixels.samples.data(), stride)
                         : WebPPictureImportRGB(&picture, pixels.samples.data(), stride)) != 0;
}

void CopyInto(const WebPData& data, Magick::Blob& encoded)
{
    encoded.update(data.bytes, data.size);
}

// The file: the bare bitstream, or with metadata chunks the muxer adds
// together with the extended header's flags.
bool Finish(const WebPData& image, const PictureMetadata& metadata, Magick::Blob& encoded, std::string& error)
{
    if (metadata.icc.empty() && metadata.exif.empty() && metadata.xmp.empty()) {
        CopyInto(image, encoded);
        return true;
    }
    const std::unique_ptr<WebPMux, MuxFree> mux(WebPMuxCreate(&image, 0));
    if (!mux) {
        error = CannotEncode("the muxer refused the encoded picture");
        return false;
    }
    const std::pair<const char*, const std::vector<std::uint8_t>*> chunks[] = {
        {"ICCP", &metadata.icc}, {"EXIF", &metadata.exif}, {"XMP ", &metadata.xmp}};
    for (const auto& [fourcc, bytes] : chunks) {
        if (bytes->empty())
            continue;
        const WebPData chunk{bytes->data(), bytes->size()};
        if (WebPMuxSetChunk(mux.get(), fourcc, &chunk, 1) != WEBP_MUX_OK) {
            error = CannotEncode(std::string("the ") + fourcc + " chunk cannot be added");
            return false;
        }
    }
    OwnedData assembled;
    if (WebPMuxAssemble(mux.get(), assembled.get()) != WEBP_MUX_OK) {
        error = CannotEncode("the file cannot be assembled");
        return false;
    }
    CopyInto(*assembled.get(), encoded);
    return true;
}

bool EncodeStill(const Magick::Image& picture, Magick::Blob& encoded, std::string& error)
{
    if (!FitsWebp(picture.columns(), picture.rows(), error))
        return false;
    const bool lossy = LooksLossy(picture);
    const WebPConfig config = MakeConfig(lossy);
    OwnedPicture owned;
    WebPPicture& webp = *owned.get();
    {
        const ExportedPixels pixels = ExportPixels(picture, false, false);
        if (!ImportPixels(pixels, !lossy, webp)) {
            error = CannotEncode("not enough memory");
            return false;
        }
    }
    WebPMemoryWriter writer;
    WebPMemoryWriterInit(&writer);
    webp.writer = WebPMemoryWrite;
    webp.custom_ptr = &writer;
    const bool done = WebPEncode(&config, &webp) != 0;
    const std::unique_ptr<WebPMemoryWriter, void (*)(WebPMemoryWriter*)> release(&writer, WebPMemoryWriterClear);
    if (!done) {
        error = CannotEncode(EncodingErrorReason(webp.error_code));
        return false;
    }
    return Finish(WebPData{writer.mem, writer.size}, MetadataOf(picture), encoded, error);
}

bool EncodeFrames(const Animation& animation, Magick::Blob& encoded, std::string& error)
{
    const Magick::Image& first = animation.frames.front();
    const std::size_t width = first.columns();
    const std::size_t height = first.rows();
    if (!FitsWebp(width, height, error))
        return false;
    const WebPConfig config = MakeConfig(LooksLikePhoto(first));
    WebPAnimEncoderOptions options;
    WebPAnimEncoderOptionsInit(&options);
    options.anim_params.loop_count = static_cast<int>(std::min<std::uint32_t>(animation.plays, 65535));
    const std::unique_ptr<WebPAnimEncoder, AnimEncoderFree> encoder(
        WebPAnimEncoderNew(static_cast<int>(width), static_cast<int>(height), &options));
    if (!encoder) {
        error = CannotEncode("not enough memory");
        return false;
    }
    const auto failed = [&](const WebPPicture* picture) {
        std::string reason = WebPAnimEncoderGetError(encoder.get());
        if (picture != nullptr && picture->error_code != VP8_ENC_OK)
            reason = EncodingErrorReason(picture->error_code);
        error = reason.empty() ? std::string(kCannotEncode) : CannotEncode(reason);
        return false;
    };
    std::uint64_t timestamp = 0;
    for (std::size_t i = 0; i < animation.frames.size(); ++i) {
        const Magick::Image& frame = animation.frames[i];
        if (frame.columns() != width || frame.rows() != height) {
            error = CannotEncode("its frames differ in size");
            return false;
        }
        OwnedPicture owned;
        if (!ImportPixels(ExportPixels(frame, false, false), true, *owned.get())) {
            error = CannotEncode("not enough memory");
            return false;
        }
        if (!WebPAnimEncoderAdd(encoder.get(), owned.get(), static_cast<int>(timestamp), &config))
            return failed(owned.get());
        const std::uint32_t delay = i < animation.delaysMs.size() ? animation.delaysMs[i] : 0;
        timestamp = std::min<std::uint64_t>(timestamp + delay, std::numeric_limits<int>::max());
    }
    if (!WebPAnimEncoderAdd(encoder.get(), nullptr, static_cast<int>(timestamp), nullptr))
        return failed(nullptr);
    OwnedData assembled;
    if (!WebPAnimEncoderAssemble(encoder.get(), assembled.get()))
        return failed(nullptr);
    return Finish(*assembled.get(), MetadataOf(first), encoded, error);
}

}  // namespace

bool EncodeWebp(const Magick::Image& picture, const EncodeOptions&, Magick::Blob& encoded, std::string& error)
{
    return GuardedStep(error, kCannotEncode, [&] { return EncodeStill(picture, encoded, error); });
}

bool EncodeWebpAnimation(const Animation& animation, Magick::Blob& encoded, std::string& error)
{
    if (animation.frames.empty()) {
        error = "there is no picture to save";
        return false;
    }
    return GuardedStep(error, kCannotEncode, [&] { return EncodeFrames(animation, encoded, error); });
}
