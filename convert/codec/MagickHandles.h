#pragma once

#include <Magick++.h>

#include <memory>

// Owners for what ImageMagick's C interface hands out (internal to the codec).

struct ExceptionInfoFree {
    void operator()(MagickCore::ExceptionInfo* exception) const { MagickCore::DestroyExceptionInfo(exception); }
};
using ExceptionPtr = std::unique_ptr<MagickCore::ExceptionInfo, ExceptionInfoFree>;

inline ExceptionPtr AcquireException()
{
    return ExceptionPtr(MagickCore::AcquireExceptionInfo());
}
