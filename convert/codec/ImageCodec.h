#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// One picture in memory: decoded from a file, prepared and saved in one of
// the output formats, or drawn scaled for a preview. Built on ImageMagick and
// LibRaw; no call throws, and failures leave a short reason in
// GetLastError().
//
// Reading trusts the bytes, not the name: the type code is only a hint
// (19 tries camera raw first; 7 allows TGA, which has no signature). Only
// raster formats are decoded (BMP, GIF, JPEG, PNG, ICO/CUR, TIFF, PCX, WebP,
// HEIC, Netpbm, TGA, camera raw); the path is never handed to ImageMagick.
// The first frame of an animation or multi-page file is taken, turned upright
// by its EXIF orientation; LoadWithFrames keeps every frame of an animated
// GIF or WebP too, for saving as GIF or WebP (KeepsAnimation). Pictures declaring more than the codec's limits
// are refused before decoding.
//
// True for the output formats that keep every frame of an animation: GIF
// and WebP.
bool KeepsAnimation(std::uint32_t type);

// An object is used by one thread at a time; different objects may be used
// on different threads.
class ImageCodec {
public:
    // An empty object.
    ImageCodec();
    // Loads at once; check IsValid().
    ImageCodec(const std::string& path, std::uint32_t type);
    ~ImageCodec();
    ImageCodec(ImageCodec&& other);
    ImageCodec& operator=(ImageCodec&& other);
    ImageCodec(const ImageCodec&) = delete;
    ImageCodec& operator=(const ImageCodec&) = delete;

    // Replaces whatever the object held. Returns IsValid().
    bool Load(const std::string& path, std::uint32_t type);
    // Load, and for an animated GIF or WebP every frame, its delay and the
    // play count as well, in the same decode: a GIF or WebP save writes the
    // animation, other formats the first frame. An animation whose frames
    // together hold more than 100 million pixels (canvas times frames) is
    // loaded as its first frame, and a GIF or WebP save then fails saying it
    // is too large to keep.
    bool LoadWithFrames(const std::string& path, std::uint32_t type);
    // Loads only for Draw: formats that can decode at a reduced size do so,
    // never below drawWidth x drawHeight. GetWidth/GetHeight still give the
    // picture's own size. Save refuses such a picture.
    bool LoadForDrawing(const std::string& path, std::uint32_t type, std::uint32_t drawWidth,
                        std::uint32_t drawHeight);

    bool IsValid() const;
    // The picture's size in pixels, upright; 0 when empty.
    std::uint32_t GetWidth() const;
    std::uint32_t GetHeight() const;
    // True when every pixel is grey (red, green and blue equal).
    bool IsGrayScale() const;

    // 24: true colour without transparency (flattened onto white), so a JPEG
    // gets three channels even for grey pixels. Other depths are refused.
    bool IncreaseBpp(std::uint32_t bits);
    // Quality of the next JPEG save, 1 to 100 (90 until set).
    void SetJpegQuality(std::uint8_t quality);

    // Writes the picture in the format of `type` (a type code of the format
    // table) through a temporary file renamed into place: a failed save leaves
    // no file and an existing file untouched. The picture held is not changed.
    bool Save(const std::string& path, std::uint32_t type);

    // The whole picture scaled smoothly to width x height (proportions are the
    // caller's business): width * height pixels of 4 bytes (R, G, B, A, not
    // premultiplied), rows top to bottom. False and empty when there is no
    // picture or a side is 0.
    bool Draw(std::uint32_t width, std::uint32_t height, std::vector<std::uint8_t>& rgba) const;

    // An independent copy: changing or saving either never shows in the
    // other. Pixels are shared until one side changes them and copied then
    // (ImageMagick's copy-on-write), which is only safe on one thread.
    // An empty object when this one is empty.
    ImageCodec Clone() const;
    // The same with the pixels copied at once, for handing to another thread.
    ImageCodec DeepClone() const;

    // Releases the picture; the object is empty afterwards.
    bool Destroy();

    // What the decoder said was damaged in the picture held (an early end,
    // corrupt data): the picture holds what could be read. Empty when the
    // whole picture was read, or only harmless notices came with it.
    const std::string& GetDamage() const;

    // Why the last Load, Save, Draw or IncreaseBpp failed; empty after success.
    const std::string& GetLastError() const;

private:
    ImageCodec CopyPicture(bool ownPixelsNow) const;

    struct Impl;
    std::unique_ptr<Impl> m_pImpl;
};
