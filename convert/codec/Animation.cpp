#include "Animation.h"

#include <memory>

namespace {

struct ImageListFree {
    void operator()(MagickCore::Image* image) const { MagickCore::DestroyImageList(image); }
};
using ImageListPtr = std::unique_ptr<MagickCore::Image, ImageListFree>;

}  // namespace

std::vector<Magick::Image> TakeImageList(MagickCore::Image* list)
{
    ImageListPtr rest(list);
    std::vector<Magick::Image> images;
    while (rest) {
        MagickCore::Image* head = rest.release();
        ImageListPtr image(MagickCore::RemoveFirstImageFromList(&head));
        rest.reset(head);
        images.emplace_back(image.get());
        image.release();
    }
    return images;
}
