#include "JxlEncoder.h"

#include "PixelExport.h"

#include <jxl/encode.h>
#include <jxl/encode_cxx.h>
#include <jxl/thread_parallel_runner.h>
#include <jxl/thread_parallel_runner_cxx.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr float kDistance = 1.0f;
constexpr int kEffort = 7;
// Two threads take 0.7 of one thread's time; more than two gain little
// beside the other workers, which run one per core (see bench/compare-jxl.sh).
constexpr std::size_t kThreads = 2;

struct Session {
    JxlEncoderPtr encoder;
    JxlThreadParallelRunnerPtr runner;
    JxlEncoderFrameSettings* settings = nullptr;  // owned by the encoder
};

std::string Megapixels(std::uint64_t pixels)
{
    const std::uint64_t tenths = (pixels + 50'000) / 100'000;
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

std::string TooLarge(std::uint64_t pixels, std::uint64_t limit)
{
    return "the picture is too large for JPEG XL (" + Megapixels(pixels) + " megapixels, at most " +
           Megapixels(limit) + ")";
}

std::string EncoderReason(JxlEncoder* encoder)
{
    switch (JxlEncoderGetError(encoder)) {
    case JXL_ENC_ERR_OOM:
        return "not enough memory";
    case JXL_ENC_ERR_JBRD:
        return "the picture cannot be encoded as JPEG XL (its JPEG cannot be kept)";
    case JXL_ENC_ERR_BAD_INPUT:
        return "the picture cannot be encoded as JPEG XL (libjxl refused its data)";
    case JXL_ENC_ERR_NOT_SUPPORTED:
        return "the picture cannot be encoded as JPEG XL (libjxl does not support it)";
    default:
        return "the picture cannot be encoded as JPEG XL";
    }
}

bool Start(Session& session, std::string& error)
{
    session.encoder = JxlEncoderMake(nullptr);
    session.runner = JxlThreadParallelRunnerMake(nullptr, kThreads);
    if (!session.encoder || !session.runner ||
        JxlEncoderSetParallelRunner(session.encoder.get(), JxlThreadParallelRunner, session.runner.get()) !=
            JXL_ENC_SUCCESS) {
        error = "the JPEG XL encoder cannot start";
        return false;
    }
    session.settings = JxlEncoderFrameSettingsCreate(session.encoder.get(), nullptr);
    if (session.settings == nullptr ||
        JxlEncoderFrameSettingsSetOption(session.settings, JXL_ENC_FRAME_SETTING_EFFORT, kEffort) !=
            JXL_ENC_SUCCESS) {
        error = "the JPEG XL encoder cannot start";
        return false;
    }
    return true;
}

// Runs the encoder over the closed input into `encoded`.
bool Finish(JxlEncoder* encoder, std::size_t sizeHint, Magick::Blob& encoded, std::string& error)
{
    std::vector<std::uint8_t> out(std::max<std::size_t>(sizeHint, 64 * 1024));
    std::uint8_t* next = out.data();
    std::size_t available = out.size();
    JxlEncoderStatus status;
    while ((status = JxlEncoderProcessOutput(encoder, &next, &available)) == JXL_ENC_NEED_MORE_OUTPUT) {
        const std::size_t used = static_cast<std::size_t>(next - out.data());
        out.resize(out.size() * 2);
        next = out.data() + used;
        available = out.size() - used;
    }
    if (status != JXL_ENC_SUCCESS) {
        error = EncoderReason(encoder);
        return false;
    }
    encoded.update(out.data(), static_cast<std::size_t>(next - out.data()));
    return true;
}

// False when libjxl cannot keep this JPEG (CMYK, arithmetic coding, ...):
// the caller encodes the pixels instead.
bool RecompressJpeg(const std::vector<std::uint8_t>& jpeg, Magick::Blob& encoded, std::string& refusal)
{
    Session session;
    if (!Start(session, refusal))
        return false;
    JxlEncoder* encoder = session.encoder.get();
    if (JxlEncoderStoreJPEGMetadata(encoder, JXL_TRUE) != JXL_ENC_SUCCESS ||
        JxlEncoderAddJPEGFrame(session.settings, jpeg.data(), jpeg.size()) != JXL_ENC_SUCCESS) {
        refusal = EncoderReason(encoder);
        return false;
    }
    JxlEncoderCloseInput(encoder);
    return Finish(encoder, jpeg.size(), encoded, refusal);
}

// The 4-byte offset of the TIFF header that the "Exif" box starts with.
std::vector<std::uint8_t> ExifBox(const std::vector<std::uint8_t>& exif)
{
    std::vector<std::uint8_t> box(4, 0);
    box.insert(box.end(), exif.begin(), exif.end());
    return box;
}

bool SetColour(JxlEncoder* encoder, const std::vector<std::uint8_t>& icc, bool grey)
{
    // A profile libjxl cannot parse is left out, as the decoder drops those
    // lcms2 cannot open.
    if (!icc.empty() && JxlEncoderSetICCProfile(encoder, icc.data(), icc.size()) == JXL_ENC_SUCCESS)
        return true;
    JxlColorEncoding srgb;
    JxlColorEncodingSetToSRGB(&srgb, grey ? JXL_TRUE : JXL_FALSE);
    return JxlEncoderSetColorEncoding(encoder, &srgb) == JXL_ENC_SUCCESS;
}

bool EncodePixels(const Magick::Image& picture, Magick::Blob& encoded, std::string& error)
{
    const std::uint64_t pixels = std::uint64_t{picture.columns()} * picture.rows();
    if (pixels > kJxlMaxPixels) {
        error = TooLarge(pixels, kJxlMaxPixels);
        return false;
    }
    ExportedPixels exported = ExportPixels(picture, true, true);
    const PictureMetadata metadata = MetadataOf(picture);
    Session session;
    if (!Start(session, error))
        return false;
    JxlEncoder* encoder = session.encoder.get();

    JxlBasicInfo info;
    JxlEncoderInitBasicInfo(&info);
    info.xsize = exported.width;
    info.ysize = exported.height;
    info.bits_per_sample = exported.bits;
    info.num_color_channels = exported.grey ? 1 : 3;
    info.num_extra_channels = exported.alpha ? 1 : 0;
    info.alpha_bits = exported.alpha ? exported.bits : 0;
    info.uses_original_profile = JXL_FALSE;
    const bool boxes = !metadata.exif.empty() || !metadata.xmp.empty();
    if ((boxes && JxlEncoderUseBoxes(encoder) != JXL_ENC_SUCCESS) ||
        JxlEncoderSetBasicInfo(encoder, &info) != JXL_ENC_SUCCESS ||
        !SetColour(encoder, metadata.icc, exported.grey)) {
        error = EncoderReason(encoder);
        return false;
    }
    if (!metadata.exif.empty()) {
        const std::vector<std::uint8_t> box = ExifBox(metadata.exif);
        if (JxlEncoderAddBox(encoder, "Exif", box.data(), box.size(), JXL_FALSE) != JXL_ENC_SUCCESS) {
            error = EncoderReason(encoder);
            return false;
        }
    }
    if (!metadata.xmp.empty() &&
        JxlEncoderAddBox(encoder, "xml ", metadata.xmp.data(), metadata.xmp.size(), JXL_FALSE) != JXL_ENC_SUCCESS) {
        error = EncoderReason(encoder);
        return false;
    }
    if (boxes)
        JxlEncoderCloseBoxes(encoder);

    if (JxlEncoderSetFrameDistance(session.settings, kDistance) != JXL_ENC_SUCCESS ||
        (pixels > kJxlPatchSearchMaxPixels &&
         JxlEncoderFrameSettingsSetOption(session.settings, JXL_ENC_FRAME_SETTING_PATCHES, 0) != JXL_ENC_SUCCESS)) {
        error = EncoderReason(encoder);
        return false;
    }
    const JxlPixelFormat format{static_cast<std::uint32_t>(exported.Channels()),
                                exported.bits == 16 ? JXL_TYPE_UINT16 : JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
    if (JxlEncoderAddImageFrame(session.settings, &format, exported.samples.data(), exported.samples.size()) !=
        JXL_ENC_SUCCESS) {
        error = EncoderReason(encoder);
        return false;
    }
    // libjxl holds its own copy now; ours would only raise the peak.
    std::vector<std::uint8_t>().swap(exported.samples);
    JxlEncoderCloseInput(encoder);
    return Finish(encoder, static_cast<std::size_t>(pixels / 4), encoded, error);
}

}  // namespace

bool EncodeJxl(const Magick::Image& picture, const EncodeOptions& options, Magick::Blob& encoded, std::string& error)
{
    if (options.sourceJpeg) {
        const std::uint64_t pixels = std::uint64_t{picture.columns()} * picture.rows();
        if (pixels > kJxlMaxJpegPixels) {
            error = TooLarge(pixels, kJxlMaxJpegPixels);
            return false;
        }
        std::string refusal;
        if (RecompressJpeg(*options.sourceJpeg, encoded, refusal))
            return true;
        if (refusal == "not enough memory") {
            error = refusal;
            return false;
        }
    }
    return EncodePixels(picture, encoded, error);
}
