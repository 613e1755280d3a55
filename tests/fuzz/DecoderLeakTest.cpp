// Leaks that the sanitizer run found in the decoder's use of ImageMagick and
// that our code avoids. Under LeakSanitizer (`make sanitize`) the process's
// exit check guards them; in a normal build the heap must stay flat over
// many decodes, as a worker's does over a long batch.
#include "ImageCodec.h"
#include "OutputFormat.h"

#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <string>

#include <malloc.h>

namespace {

std::size_t HeapInUse()
{
    return mallinfo2().uordblks;
}

TEST(DecoderLeaks, PnmPicturesLeaveTheHeapAsTheyFoundIt)
{
    // ImageMagick 6 leaks 4 KiB per PNM ping that stops at a scene limit.
    const ScratchFolder folder;
    const std::string picture = folder / "picture.ppm";
    ASSERT_TRUE(WriteFile(picture, "P6\n# made by a test\n8 8\n255\n" + std::string(8 * 8 * 3, '\x7f')));
    for (int i = 0; i < 20; ++i)
        ASSERT_TRUE(ImageCodec(picture, kTypeUnknown).IsValid());
    const std::size_t before = HeapInUse();
    for (int i = 0; i < 300; ++i)
        ImageCodec(picture, kTypeUnknown);
    const std::size_t after = HeapInUse();
    EXPECT_LT(after, before + 300 * 1024) << "the heap grew by " << (after - before) << " bytes over 300 decodes";
}

}  // namespace
