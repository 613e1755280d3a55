#include "FormatSniffer.h"

#include "OutputFormat.h"

namespace {

// The shortest file a TGA header fits in.
constexpr std::size_t kTgaHeaderBytes = 18;

}  // namespace

const ReadableFormat* SniffReadableFormat(const std::uint8_t* data, std::size_t size, std::uint32_t typeHint)
{
    if (data == nullptr)
        return nullptr;
    for (const ReadableFormat& format : ReadableFormats()) {
        if (format.matches != nullptr && format.matches(data, size))
            return &format;
    }
    // Formats without a signature come last, so they never hide one that has one.
    for (const ReadableFormat& format : ReadableFormats()) {
        if (format.matches == nullptr && typeHint != kTypeUnknown && typeHint == format.byNameType &&
            size >= kTgaHeaderBytes)
            return &format;
    }
    return nullptr;
}

const char* SniffPictureFormat(const std::uint8_t* data, std::size_t size, std::uint32_t typeHint)
{
    const ReadableFormat* format = SniffReadableFormat(data, size, typeHint);
    return format != nullptr ? format->coder : nullptr;
}

bool TriesCameraRawFirst(const std::uint8_t* data, std::size_t size, std::uint32_t typeHint)
{
    if (typeHint == kTypeRaw)
        return true;
    const ReadableFormat* format = SniffReadableFormat(data, size, typeHint);
    return format != nullptr &&
           (format->reader == PictureReader::CameraRaw || format->reader == PictureReader::CameraRawFirst);
}
