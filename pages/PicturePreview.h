#pragma once

#include "BackgroundJob.h"
#include "PreviewCache.h"

#include <QRect>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

class ConversionEngine;
class QPainter;

// The preview of a page's picture in its preview frame (control 1002), shared
// by the Single and Batch pages. A paint never waits for a decode: a picture
// not yet kept is asked of the renderer (the engine's preview worker) off the
// user-interface thread, the frame stays grey meanwhile, and when the answer
// has been kept `ready` tells the page to repaint. One request is out at a
// time; a newer one waits for it and replaces any older waiting one, so after
// a quick succession of pictures only the last is rendered next. The last few
// answers are kept, so a repaint does not decode the file again.
// User-interface thread only; the renderer runs on a pool thread.
class PicturePreview {
public:
    using Renderer = std::function<PreviewResult(const PreviewRequest& request)>;

    // `render` must be safe to call from any thread.
    PicturePreview(Renderer render, std::function<void()> ready, std::size_t keep = 4);

    // Renders on `engine`'s preview worker, which never waits for
    // conversions. With a null engine every picture stays grey.
    static Renderer EngineRenderer(ConversionEngine* engine);

    // Paints `path` into `clientRect` of the frame: an empty path paints
    // nothing at all; otherwise the whole rectangle is filled with
    // RGB(128, 128, 128) and, once rendered, the picture drawn into its
    // fitted rectangle, with smooth scaling. A file that does not load leaves
    // the grey area. Sets `nInType` to TypeFromPath(path) unless the path is
    // empty.
    void DrawPreview(QPainter& painter, const QRect& clientRect, const std::string& path, int& nInType);

    // A request is out: the frame will repaint when it is answered.
    bool Waiting() const { return m_job.IsRunning(); }

    // Drops the waiting request and runs the event loop until the one out
    // is answered. For a page that is closing.
    void Finish();

private:
    struct Asked {
        PreviewRequest request;
        FileStamp stamp;
    };

    void Ask(const Asked& asked);
    void Start(const Asked& asked);
    void OnAnswer(PreviewResult result);

    Renderer m_render;
    std::function<void()> m_ready;
    PreviewCache m_cache;
    std::optional<Asked> m_out;   // being rendered
    std::optional<Asked> m_next;  // the newest request since
    BackgroundJob<PreviewResult> m_job;
};

// The grey behind a preview.
inline constexpr int kPreviewGrey = 128;
