#include "JxlDecoder.h"

#include <jxl/decode.h>
#include <jxl/decode_cxx.h>
#include <jxl/encode.h>  // JxlColorEncodingSetToSRGB
#include <jxl/thread_parallel_runner.h>
#include <jxl/thread_parallel_runner_cxx.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace {

// Two threads halve the decoding time (measured with djxl on 8 and 17 MP).
constexpr std::size_t kThreads = 2;
// EXIF and XMP larger than this are dropped: a compressed box can unpack to
// any size.
constexpr std::size_t kMaxBoxBytes = std::size_t{16} << 20;
constexpr std::size_t kFirstBoxBytes = 64 * 1024;

bool Refuse(std::string& error, const char* why)
{
    error = std::string("it cannot be decoded (") + why + ")";
    return false;
}

std::string Megapixels(std::uint64_t pixels)
{
    const std::uint64_t tenths = (pixels + 50'000) / 100'000;
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

// Collects the EXIF and XMP boxes as the decoder hands them out.
class BoxCollector {
public:
    BoxCollector(JxlDecoder* decoder, JxlPicture& picture) : m_pDecoder(decoder), m_picture(picture) {}

    void Start()
    {
        End();
        JxlBoxType type;
        if (JxlDecoderGetBoxType(m_pDecoder, type, JXL_TRUE) != JXL_DEC_SUCCESS)
            return;
        if (std::memcmp(type, "Exif", 4) == 0 && m_picture.exif.empty())
            m_pTarget = &m_picture.exif;
        else if (std::memcmp(type, "xml ", 4) == 0 && m_picture.xmp.empty())
            m_pTarget = &m_picture.xmp;
        else
            return;
        m_box.resize(kFirstBoxBytes);
        m_bDropped = false;
        JxlDecoderSetBoxBuffer(m_pDecoder, m_box.data(), m_box.size());
    }

    void Grow()
    {
        const std::size_t used = m_box.size() - JxlDecoderReleaseBoxBuffer(m_pDecoder);
        if (m_bDropped || m_box.size() * 2 > kMaxBoxBytes) {
            // The rest is read over the same bytes and thrown away.
            m_bDropped = true;
            JxlDecoderSetBoxBuffer(m_pDecoder, m_box.data(), m_box.size());
            return;
        }
        m_box.resize(m_box.size() * 2);
        JxlDecoderSetBoxBuffer(m_pDecoder, m_box.data() + used, m_box.size() - used);
    }

    void End()
    {
        if (m_pTarget == nullptr)
            return;
        m_box.resize(m_box.size() - JxlDecoderReleaseBoxBuffer(m_pDecoder));
        if (!m_bDropped)
            *m_pTarget = std::move(m_box);
        m_box.clear();
        // The EXIF box starts with the offset of its TIFF header.
        if (m_pTarget == &m_picture.exif && !m_picture.exif.empty()) {
            std::vector<std::uint8_t>& exif = m_picture.exif;
            const std::uint64_t skip = exif.size() < 4 ? exif.size()
                                                       : 4 + (std::uint64_t{exif[0]} << 24 | exif[1] << 16 |
                                                              exif[2] << 8 | exif[3]);
            exif.erase(exif.begin(), exif.begin() + static_cast<std::ptrdiff_t>(std::min<std::uint64_t>(skip, exif.size())));
        }
        m_pTarget = nullptr;
    }

private:
    JxlDecoder* m_pDecoder;
    JxlPicture& m_picture;
    std::vector<std::uint8_t>* m_pTarget = nullptr;
    std::vector<std::uint8_t> m_box;
    bool m_bDropped = false;
};

bool IsSrgb(const JxlColorEncoding& colour)
{
    const bool grey = colour.color_space == JXL_COLOR_SPACE_GRAY;
    return (grey || (colour.color_space == JXL_COLOR_SPACE_RGB && colour.primaries == JXL_PRIMARIES_SRGB)) &&
           colour.white_point == JXL_WHITE_POINT_D65 && colour.transfer_function == JXL_TRANSFER_FUNCTION_SRGB;
}

// The pixels come in the picture's own colour space, except that lossy
// pictures tagged with an ICC profile come as sRGB (libjxl would give linear
// light otherwise). Only a space other than sRGB is kept as a profile.
bool ReadColour(JxlDecoder* decoder, const JxlBasicInfo& info, JxlPicture& picture)
{
    JxlColorEncoding colour;
    if (!info.uses_original_profile &&
        JxlDecoderGetColorAsEncodedProfile(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_ORIGINAL, &colour) !=
            JXL_DEC_SUCCESS) {
        JxlColorEncodingSetToSRGB(&colour, picture.grey ? JXL_TRUE : JXL_FALSE);
        if (JxlDecoderSetPreferredColorProfile(decoder, &colour) != JXL_DEC_SUCCESS)
            return false;
    }
    if (JxlDecoderGetColorAsEncodedProfile(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA, &colour) ==
            JXL_DEC_SUCCESS &&
        IsSrgb(colour))
        return true;
    std::size_t size = 0;
    if (JxlDecoderGetICCProfileSize(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA, &size) != JXL_DEC_SUCCESS)
        return false;
    picture.icc.resize(size);
    return JxlDecoderGetColorAsICCProfile(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA, picture.icc.data(),
                                          picture.icc.size()) == JXL_DEC_SUCCESS;
}

bool TakeBasicInfo(JxlDecoder* decoder, bool (*fits)(std::uint64_t, std::uint64_t), JxlBasicInfo& info,
                   JxlPicture& picture, std::string& error)
{
    if (JxlDecoderGetBasicInfo(decoder, &info) != JXL_DEC_SUCCESS)
        return Refuse(error, "its header is damaged");
    const bool turned = info.orientation >= JXL_ORIENT_TRANSPOSE;
    picture.width = turned ? info.ysize : info.xsize;
    picture.height = turned ? info.xsize : info.ysize;
    const std::uint64_t pixels = std::uint64_t{picture.width} * picture.height;
    if (!fits(picture.width, picture.height)) {
        error = "the picture is too large (" + std::to_string(picture.width) + " x " +
                std::to_string(picture.height) + " pixels)";
        return false;
    }
    if (pixels > kJxlMaxDecodePixels) {
        error = "the picture is too large to decode as JPEG XL (" + Megapixels(pixels) + " megapixels, at most " +
                Megapixels(kJxlMaxDecodePixels) + ")";
        return false;
    }
    // Only the colour channels and alpha are handed out; a black channel
    // would leave the colours wrong.
    for (std::uint32_t i = 0; i < info.num_extra_channels; ++i) {
        JxlExtraChannelInfo extra;
        if (JxlDecoderGetExtraChannelInfo(decoder, i, &extra) != JXL_DEC_SUCCESS || extra.type == JXL_CHANNEL_BLACK)
            return Refuse(error, "CMYK JPEG XL is not supported");
    }
    picture.grey = info.num_color_channels == 1;
    picture.alpha = info.alpha_bits > 0;
    picture.bits = info.bits_per_sample > 8 || info.exponent_bits_per_sample > 0 ? 16 : 8;
    return true;
}

bool Decode(const std::uint8_t* data, std::size_t size, bool (*fits)(std::uint64_t, std::uint64_t),
            JxlPicture& picture, std::string& error)
{
    const JxlDecoderPtr owner = JxlDecoderMake(nullptr);
    const JxlThreadParallelRunnerPtr runner = JxlThreadParallelRunnerMake(nullptr, kThreads);
    JxlDecoder* decoder = owner.get();
    if (decoder == nullptr || !runner ||
        JxlDecoderSetParallelRunner(decoder, JxlThreadParallelRunner, runner.get()) != JXL_DEC_SUCCESS ||
        JxlDecoderSubscribeEvents(decoder, JXL_DEC_BASIC_INFO | JXL_DEC_COLOR_ENCODING | JXL_DEC_FULL_IMAGE |
                                               JXL_DEC_BOX) != JXL_DEC_SUCCESS ||
        JxlDecoderSetDecompressBoxes(decoder, JXL_TRUE) != JXL_DEC_SUCCESS ||
        JxlDecoderSetUnpremultiplyAlpha(decoder, JXL_TRUE) != JXL_DEC_SUCCESS ||
        JxlDecoderSetInput(decoder, data, size) != JXL_DEC_SUCCESS) {
        error = "the JPEG XL decoder cannot start";
        return false;
    }
    JxlDecoderCloseInput(decoder);
    JxlBasicInfo info{};
    JxlPixelFormat format{};
    BoxCollector boxes(decoder, picture);
    bool havePixels = false;
    for (;;) {
        switch (JxlDecoderProcessInput(decoder)) {
        case JXL_DEC_BASIC_INFO:
            if (!TakeBasicInfo(decoder, fits, info, picture, error))
                return false;
            format = JxlPixelFormat{(picture.grey ? 1u : 3u) + (picture.alpha ? 1u : 0u),
                                    picture.bits == 16 ? JXL_TYPE_UINT16 : JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
            break;
        case JXL_DEC_COLOR_ENCODING:
            if (!ReadColour(decoder, info, picture))
                return Refuse(error, "its colour profile cannot be read");
            break;
        case JXL_DEC_NEED_IMAGE_OUT_BUFFER: {
            std::size_t bytes = 0;
            if (JxlDecoderImageOutBufferSize(decoder, &format, &bytes) != JXL_DEC_SUCCESS ||
                bytes != std::size_t{picture.width} * picture.height * format.num_channels * (picture.bits / 8))
                return Refuse(error, "its frames do not match its size");
            picture.samples.resize(bytes);
            if (JxlDecoderSetImageOutBuffer(decoder, &format, picture.samples.data(), bytes) != JXL_DEC_SUCCESS)
                return Refuse(error, "its frames do not match its size");
            break;
        }
        case JXL_DEC_FULL_IMAGE:
            havePixels = true;
            // An animation gives its first frame; what follows is not read.
            if (info.have_animation) {
                boxes.End();
                return true;
            }
            break;
        case JXL_DEC_BOX:
            boxes.Start();
            break;
        case JXL_DEC_BOX_NEED_MORE_OUTPUT:
            boxes.Grow();
            break;
        case JXL_DEC_SUCCESS:
            boxes.End();
            return havePixels || Refuse(error, "it holds no picture");
        case JXL_DEC_NEED_MORE_INPUT:
            return Refuse(error, "the file ends early");
        case JXL_DEC_ERROR:
            return Refuse(error, "its data is corrupt");
        default:
            break;
        }
    }
}

}  // namespace

bool DecodeJxl(const std::uint8_t* data, std::size_t size, bool (*fits)(std::uint64_t width, std::uint64_t height),
               JxlPicture& picture, std::string& error)
{
    picture = JxlPicture{};
    try {
        if (Decode(data, size, fits, picture, error))
            return true;
    } catch (const std::bad_alloc&) {
        error = "not enough memory";
    }
    picture = JxlPicture{};
    return false;
}
