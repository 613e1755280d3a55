#include "GifAnimation.h"

#include "ColourProfile.h"
#include "GifPalette.h"
#include "MagickHandles.h"
#include "MagickReason.h"

#include <stdexcept>
#include <vector>

namespace {

std::size_t Hundredths(std::uint32_t milliseconds)
{
    return (std::size_t{milliseconds} + 5) / 10;
}

// Each frame its own copy, in sRGB as GIF has it, timed, on its canvas.
std::vector<Magick::Image> TimedFrames(const Animation& animation)
{
    std::vector<Magick::Image> frames;
    frames.reserve(animation.frames.size());
    for (std::size_t i = 0; i < animation.frames.size(); ++i) {
        Magick::Image frame(animation.frames[i]);
        frame.modifyImage();
        ConvertToSrgbForUntaggedFormat(frame);
        frame.animationDelay(Hundredths(i < animation.delaysMs.size() ? animation.delaysMs[i] : 0));
        frame.image()->ticks_per_second = 100;
        frame.animationIterations(animation.plays);
        frame.page(Magick::Geometry(frame.columns(), frame.rows(), 0, 0));
        frames.push_back(frame);
    }
    return frames;
}

std::vector<Magick::Image> ChangedRectangles(std::vector<Magick::Image>& frames)
{
    Magick::linkImages(frames.begin(), frames.end());
    const ExceptionPtr exception = AcquireException();
    MagickCore::Image* optimised = MagickCore::OptimizeImageLayers(frames.front().constImage(), exception.get());
    Magick::unlinkImages(frames.begin(), frames.end());
    if (optimised == nullptr)
        throw std::runtime_error(exception->reason != nullptr ? ShortMagickReason(exception->reason)
                                                              : "its frames cannot be compared");
    return TakeImageList(optimised);
}

}  // namespace

void EncodeGifAnimation(const Animation& animation, Magick::Blob& encoded)
{
    std::vector<Magick::Image> frames = TimedFrames(animation);
    std::vector<Magick::Image> parts = ChangedRectangles(frames);
    frames.clear();
    for (Magick::Image& part : parts) {
        part.quiet(true);
        part.depth(8);
        ReduceToGifPalette(part);
        part.magick("GIF");
    }
    Magick::writeImages(parts.begin(), parts.end(), &encoded, true);
}
