#include "WebpAnimationReader.h"

#include <webp/decode.h>
#include <webp/demux.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

struct AnimDecoderFree {
    void operator()(WebPAnimDecoder* decoder) const { WebPAnimDecoderDelete(decoder); }
};
using AnimDecoderPtr = std::unique_ptr<WebPAnimDecoder, AnimDecoderFree>;

AnimDecoderPtr OpenDecoder(const std::uint8_t* data, std::size_t size)
{
    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options))
        return nullptr;
    options.color_mode = MODE_RGBA;  // straight alpha, as ImageMagick takes it
    options.use_threads = 0;
    const WebPData bytes{data, size};
    return AnimDecoderPtr(WebPAnimDecoderNew(&bytes, &options));
}

// ImageMagick keeps EXIF in JPEG's form, which its writers expect; WebP
// stores the TIFF structure alone.
Magick::Blob ExifInJpegForm(const WebPData& chunk)
{
    static constexpr std::uint8_t kHeader[] = {'E', 'x', 'i', 'f', 0, 0};
    std::vector<std::uint8_t> bytes(kHeader, kHeader + sizeof kHeader);
    if (chunk.size >= sizeof kHeader && std::equal(kHeader, kHeader + sizeof kHeader, chunk.bytes))
        bytes.clear();
    bytes.insert(bytes.end(), chunk.bytes, chunk.bytes + chunk.size);
    return Magick::Blob(bytes.data(), bytes.size());
}

void CopyMetadata(const WebPDemuxer* demuxer, Magick::Image& frame)
{
    const std::pair<const char*, const char*> chunks[] = {{"ICCP", "icc"}, {"EXIF", "exif"}, {"XMP ", "xmp"}};
    for (const auto& [fourcc, profile] : chunks) {
        WebPChunkIterator chunk;
        if (WebPDemuxGetChunk(demuxer, fourcc, 1, &chunk)) {
            frame.profile(profile, profile == std::string("exif") ? ExifInJpegForm(chunk.chunk)
                                                                  : Magick::Blob(chunk.chunk.bytes, chunk.chunk.size));
            WebPDemuxReleaseChunkIterator(&chunk);
        }
    }
}

bool AnyTransparent(const std::uint8_t* rgba, std::size_t pixels)
{
    for (std::size_t i = 0; i < pixels; ++i) {
        if (rgba[4 * i + 3] != 255)
            return true;
    }
    return false;
}

}  // namespace

bool IsAnimatedWebp(const std::uint8_t* data, std::size_t size)
{
    WebPBitstreamFeatures features;
    return WebPGetFeatures(data, size, &features) == VP8_STATUS_OK && features.has_animation;
}

bool ReadWebpAnimationInfo(const std::uint8_t* data, std::size_t size, WebpAnimationInfo& info)
{
    const AnimDecoderPtr decoder = OpenDecoder(data, size);
    WebPAnimInfo anim;
    if (!decoder || !WebPAnimDecoderGetInfo(decoder.get(), &anim))
        return false;
    info = WebpAnimationInfo{anim.canvas_width, anim.canvas_height, anim.frame_count};
    return true;
}

bool ReadWebpAnimation(const std::uint8_t* data, std::size_t size, Animation& animation, std::string& damage,
                       std::string& error)
{
    animation = Animation{};
    const AnimDecoderPtr decoder = OpenDecoder(data, size);
    WebPAnimInfo info;
    if (!decoder || !WebPAnimDecoderGetInfo(decoder.get(), &info)) {
        error = "it cannot be decoded (not a valid animated WebP)";
        return false;
    }
    animation.plays = info.loop_count;
    const std::size_t pixels = std::size_t{info.canvas_width} * info.canvas_height;
    int previous = 0;
    while (WebPAnimDecoderHasMoreFrames(decoder.get())) {
        std::uint8_t* rgba = nullptr;
        int timestamp = 0;
        if (!WebPAnimDecoderGetNext(decoder.get(), &rgba, &timestamp)) {
            damage = "frame " + std::to_string(animation.frames.size() + 1) + " cannot be decoded";
            break;
        }
        Magick::Image frame(info.canvas_width, info.canvas_height, "RGBA", Magick::CharPixel, rgba);
        if (!AnyTransparent(rgba, pixels))
            frame.matte(false);
        animation.frames.push_back(frame);
        animation.delaysMs.push_back(static_cast<std::uint32_t>(std::max(timestamp - previous, 0)));
        previous = timestamp;
    }
    if (animation.frames.empty()) {
        error = "it cannot be decoded (" + damage + ")";
        damage.clear();
        return false;
    }
    CopyMetadata(WebPAnimDecoderGetDemuxer(decoder.get()), animation.frames.front());
    return true;
}
