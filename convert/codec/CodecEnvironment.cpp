#include "CodecEnvironment.h"

#include "SystemInfo.h"

#include <Magick++.h>

#include <algorithm>
#include <limits>
#include <mutex>


namespace {

constexpr MagickCore::MagickSizeType kMiB = 1024 * 1024;

MagickCore::MagickSizeType PhysicalMemory()
{
    const std::uint64_t bytes = PhysicalMemoryBytes();
    return bytes == 0 ? 4096 * kMiB : static_cast<MagickCore::MagickSizeType>(bytes);
}

// Two thirds of the process's data size limit, or nothing when it has none.
MagickCore::MagickSizeType ShareOfDataLimit()
{
    const std::uint64_t limit = DataSizeLimit();
    if (limit == 0)
        return std::numeric_limits<MagickCore::MagickSizeType>::max();
    return static_cast<MagickCore::MagickSizeType>(limit) / 3 * 2;
}

void ApplyLimits()
{
    using namespace MagickCore;
    // A quarter of the machine per process, so one worker per core stays
    // within memory on small machines, and room left under the process's
    // own ceiling for the file's bytes and the libraries' buffers; larger
    // pictures spill to temporary files, which are read and written rather
    // than mapped once memory and map are used up.
    const MagickSizeType memory =
        std::min(std::clamp(PhysicalMemory() / 4, 256 * kMiB, 1024 * kMiB), ShareOfDataLimit());
    SetMagickResourceLimit(MemoryResource, memory);
    SetMagickResourceLimit(MapResource, memory / 2);
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
