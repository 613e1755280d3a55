#include "CameraRawReader.h"

#include "CodecEnvironment.h"
#include "MagickReason.h"

#include <libraw/libraw.h>

#include <utility>
#include <memory>

namespace {

struct ProcessedImageFree {
    void operator()(libraw_processed_image_t* image) const { LibRaw::dcraw_clear_mem(image); }
};

bool Develop(const std::uint8_t* data, std::size_t size, std::uint32_t minWidth, std::uint32_t minHeight,
             CameraRawPicture& picture, std::string& error)
{
    // LibRaw is large; keep it off the stack.
    auto raw = std::make_unique<LibRaw>(0u);
    raw->imgdata.params.use_camera_wb = 1;
    raw->imgdata.params.output_color = 1;  // sRGB
    raw->imgdata.params.output_bps = 16;
    raw->imgdata.params.max_raw_memory_mb = 2048;

    // LibRaw only reads the buffer; its interface predates const.
    int status = raw->open_buffer(const_cast<std::uint8_t*>(data), size);
    if (status != LIBRAW_SUCCESS) {
        error = "LibRaw does not know this camera raw format";
        return false;
    }
    const std::uint64_t width = raw->imgdata.sizes.width;
    const std::uint64_t height = raw->imgdata.sizes.height;
    if (width == 0 || height == 0) {
        error = "the camera raw file holds no picture";
        return false;
    }
    if (!FitsPictureLimits(width, height)) {
        error = "the picture is too large";
        return false;
    }
    // Flips 5 and 6 turn the picture a quarter.
    const bool turned = (raw->imgdata.sizes.flip & 4) != 0;
    picture.fullWidth = static_cast<std::uint32_t>(turned ? height : width);
    picture.fullHeight = static_cast<std::uint32_t>(turned ? width : height);
    const bool halfSize = minWidth > 0 && minHeight > 0 && picture.fullWidth / 2 >= minWidth &&
                          picture.fullHeight / 2 >= minHeight;
    raw->imgdata.params.half_size = halfSize ? 1 : 0;
    status = raw->unpack();
    if (status == LIBRAW_SUCCESS)
        status = raw->dcraw_process();
    if (status != LIBRAW_SUCCESS) {
        error = std::string("the camera raw data cannot be developed (") + LibRaw::strerror(status) + ")";
        return false;
    }
    int makeStatus = LIBRAW_SUCCESS;
    std::unique_ptr<libraw_processed_image_t, ProcessedImageFree> image(raw->dcraw_make_mem_image(&makeStatus));
    if (!image || makeStatus != LIBRAW_SUCCESS || image->type != LIBRAW_IMAGE_BITMAP || image->colors != 3 ||
        image->bits != 16) {
        error = "the camera raw data cannot be developed";
        return false;
    }
    const std::size_t samples = static_cast<std::size_t>(image->width) * image->height * 3;
    if (image->data_size < samples * sizeof(std::uint16_t)) {
        error = "the camera raw data cannot be developed";
        return false;
    }
    picture.width = image->width;
    picture.height = image->height;
    const void* samplesStart = image->data;
    picture.rgb = std::shared_ptr<const void>(std::shared_ptr<libraw_processed_image_t>(std::move(image)), samplesStart);
    return true;
}

}  // namespace

bool DevelopCameraRaw(const std::uint8_t* data, std::size_t size, std::uint32_t minWidth, std::uint32_t minHeight,
                      CameraRawPicture& picture, std::string& error)
{
    picture = CameraRawPicture{};
    if (GuardedStep(error, "the camera raw data cannot be developed",
                    [&] { return Develop(data, size, minWidth, minHeight, picture, error); }))
        return true;
    picture = CameraRawPicture{};
    return false;
}
