#pragma once

#include <cstdint>

// Process-wide set-up of ImageMagick for the codec, done once on first use.
//
// Limits: pictures are refused before decoding when their declared size
// passes kMaxPictureSide or kMaxPicturePixels (a 100-megapixel photo passes,
// a decompression bomb does not). ImageMagick's own limits are set too:
// width and height (hard limits), memory (pixel caches on the heap), map and
// area (larger caches go to memory-mapped and then plain temporary files) and
// disk (a hard limit on those files); memory stays within two thirds of the
// process's data size limit, when one is set. There is no time limit: passing it ends
// the whole process in ImageMagick 6. A policy.xml that sets lower limits
// still wins.
//
// Threads: ImageMagick uses one thread per process unless told otherwise.
// The engine runs one worker process per core, and threads inside each
// worker would only compete with the other workers; the decoders and
// encoders that matter here (libjpeg, zlib, libtiff) are single-threaded
// anyway.

constexpr std::uint32_t kMaxPictureSide = 65535;
constexpr std::uint64_t kMaxPicturePixels = 200'000'000;
constexpr std::uint64_t kMaxInputFileBytes = std::uint64_t{1} << 30;

constexpr bool FitsPictureLimits(std::uint64_t width, std::uint64_t height)
{
    return width <= kMaxPictureSide && height <= kMaxPictureSide && width * height <= kMaxPicturePixels;
}

// What one worker process may take at most, heap and private mappings
// together, whatever the input. Pixel caches beyond ImageMagick's memory
// limit (derived from this ceiling when it is set) go to disk instead.
constexpr std::uint64_t kWorkerMemoryBytes = std::uint64_t{1536} << 20;


// Initialises ImageMagick and its limits if that has not happened yet.
// Thread-safe; every codec entry point calls it.
void EnsureCodecReady();
