#include "CodecEnvironment.h"

#include <Magick++.h>

#include <algorithm>
#include <mutex>
#include <unistd.h>

namespace {

constexpr MagickCore::MagickSizeType kMiB = 1024 * 1024;

MagickCore::MagickSizeType PhysicalMemory()
{
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0)
        return 4096 * kMiB;
    return static_cast<MagickCore::MagickSizeType>(pages) * static_cast<MagickCore::MagickSizeType>(pageSize);
}

void ApplyLimits()
{
    using namespace MagickCore;
    // A quarter of the machine per process, so one worker per core stays
    // within memory on small machines; larger pictures spill to temporary files.
    const MagickSizeType memory = std::clamp(PhysicalMemory() / 4, 256 * kMiB, 2048 * kMiB);
    SetMagickResourceLimit(MemoryResource, memory);
    SetMagickResourceLimit(MapResource, 2 * memory);
    // Two full copies of the largest picture accepted (8 bytes a pixel),
    // plus room for the intermediate images of scaling and quantising.
    SetMagickResourceLimit(DiskResource, 4 * kMaxPicturePixels * 8);
    SetMagickResourceLimit(AreaResource, kMaxPicturePixels);
    SetMagickResourceLimit(WidthResource, kMaxPictureSide + 1);  // the test is "below"
    SetMagickResourceLimit(HeightResource, kMaxPictureSide + 1);
    SetMagickResourceLimit(ThreadResource, 1);
}

std::once_flag g_readyFlag;

}  // namespace

void EnsureCodecReady()
{
    std::call_once(g_readyFlag, [] {
        Magick::InitializeMagick(nullptr);
        ApplyLimits();
    });
}
