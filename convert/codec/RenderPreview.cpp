#include "InProcessJobs.h"

#include "CodecEnvironment.h"
#include "ImageCodec.h"

#include <algorithm>

PreviewResult RenderPreview(const PreviewRequest& request)
{
    PreviewResult result;
    if (request.path.empty()) {
        result.error = "no file was given";
        return result;
    }
    if (request.areaWidth <= 0 || request.areaHeight <= 0) {
        result.error = "the preview area is empty";
        return result;
    }
    // Twice the area, so the final smooth scaling has pixels to average.
    const std::int64_t twice = 2 * static_cast<std::int64_t>(std::max(request.areaWidth, request.areaHeight));
    const auto side = static_cast<std::uint32_t>(std::min<std::int64_t>(twice, kMaxPictureSide));
    ImageCodec codec;
    if (!codec.LoadForDrawing(request.path, request.inputType, side, side)) {
        result.error = codec.GetLastError();
        return result;
    }
    result.pictureWidth = codec.GetWidth();
    result.pictureHeight = codec.GetHeight();
    result.rect = FitPreviewRect(PreviewRect{0, 0, request.areaWidth, request.areaHeight}, result.pictureWidth,
                                 result.pictureHeight);
    // A sliver thinner than a pixel is not drawn at all, as the rule gives it.
    if (result.rect.Width() <= 0 || result.rect.Height() <= 0) {
        result.ok = true;
        return result;
    }
    if (!codec.Draw(static_cast<std::uint32_t>(result.rect.Width()), static_cast<std::uint32_t>(result.rect.Height()),
                    result.rgba)) {
        result.error = codec.GetLastError();
        return result;
    }
    result.ok = true;
    return result;
}
