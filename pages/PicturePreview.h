#pragma once

#include "PreviewCache.h"

#include <QRect>

#include <cstddef>
#include <memory>
#include <string>

class ConversionEngine;
class QPainter;

// The preview of a page's picture in its preview frame (control 1002), shared
// by the Single and Batch pages. The picture is decoded and scaled by the
// renderer (the engine's preview worker; the caller waits for it), and the
// last few results are kept, so a repaint does not decode the file again.
// User-interface thread only.
class PicturePreview {
public:
    explicit PicturePreview(PreviewCache::Renderer render, std::size_t keep = 4);

    // Renders on `engine`'s preview worker, which never waits for
    // conversions. With a null engine every picture stays grey.
    static PreviewCache::Renderer EngineRenderer(ConversionEngine* engine);

    // Paints `path` into `clientRect` of the frame: an empty path paints
    // nothing at all; otherwise the whole rectangle is filled with
    // RGB(128, 128, 128) and the picture drawn into its fitted rectangle, with
    // smooth scaling. A file that does not load leaves the grey area. Sets
    // `nInType` to TypeFromPath(path) unless the path is empty.
    void DrawPreview(QPainter& painter, const QRect& clientRect, const std::string& path, int& nInType);

    const PreviewCache& Cache() const { return m_cache; }
    PreviewCache& Cache() { return m_cache; }

private:
    PreviewCache m_cache;
};

// The grey behind a preview.
inline constexpr int kPreviewGrey = 128;
