#pragma once

#include "ConversionOptions.h"

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
// by its EXIF orientation. Pictures declaring more than the codec's limits
// are refused before decoding.
//
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

    // Takes the options' steps on the picture held (resize, metadata; see
    // PictureOptions.h) and keeps the options for every later Save. Call it
    // once, after Load and before copying for the outputs. False, with the
    // picture unchanged, when a step cannot be taken.
    bool ApplyOptions(const ConversionOptions& options);

    // Writes the picture in the format of `type` (a type code of the format
    // table) through a temporary file renamed into place: a failed save leaves
    // no file and an existing file untouched. The picture held is not changed.
    bool Save(const std::string& path, std::uint32_t type);

    // Save, doing with a file that exists at `path` what the options given to
    // ApplyOptions say: replace it (as Save does), leave it alone (false,
    // `skipped` true, no error), or write under the first free numbered name
    // (NumberedPath). The last two never replace anything, even when another
    // process writes the same name at the same moment. `writtenPath` gets
    // where the file went.
    bool SaveAsOptionsSay(const std::string& path, std::uint32_t type, std::string& writtenPath, bool& skipped);

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
    bool SaveWith(ExistingFiles policy, const std::string& path, std::uint32_t type, std::string& writtenPath,
                  bool& skipped);

    struct Impl;
    std::unique_ptr<Impl> m_pImpl;
};
