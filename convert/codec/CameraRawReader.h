#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// A camera raw picture developed by LibRaw: 16-bit RGB samples, interleaved,
// rows top to bottom, already turned upright by the camera's orientation.
struct CameraRawPicture {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    // width * height * 3 samples of 16 bits, in LibRaw's own buffer (no copy
    // of the whole picture is made), freed with the last holder.
    std::shared_ptr<const void> rgb;
    std::uint32_t fullWidth = 0;     // the picture's own size, upright, even
    std::uint32_t fullHeight = 0;    // when developed at half size
};

// Develops camera raw bytes held in memory with the camera's white balance
// into sRGB. When minWidth and minHeight are not 0 and half the picture is
// still that large, it is developed at half size, which is much faster and
// enough for a preview. Pictures over the codec's size limits are refused
// before their data is unpacked. Never throws; false with a short reason when
// LibRaw does not know the bytes or cannot develop them.
bool DevelopCameraRaw(const std::uint8_t* data, std::size_t size, std::uint32_t minWidth, std::uint32_t minHeight,
                      CameraRawPicture& picture, std::string& error);
