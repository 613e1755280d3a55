#include "PicturePreview.h"

#include "ConversionEngine.h"
#include "OutputFormat.h"

#include <QImage>
#include <QPainter>
#include <QPaintDevice>

#include <cmath>

PicturePreview::PicturePreview(PreviewCache::Renderer render, std::size_t keep)
    : m_cache(std::move(render), keep)
{
}

PreviewCache::Renderer PicturePreview::EngineRenderer(ConversionEngine* engine)
{
    return [engine](const PreviewRequest& request) {
        if (engine)
            return engine->Preview(request);
        PreviewResult none;
        none.error = "the converter is not available";
        return none;
    };
}

void PicturePreview::DrawPreview(QPainter& painter, const QRect& clientRect, const std::string& path, int& nInType)
{
    if (path.empty())
        return;
    nInType = static_cast<int>(TypeFromPath(path));
    painter.fillRect(clientRect, QColor(kPreviewGrey, kPreviewGrey, kPreviewGrey));
    if (clientRect.isEmpty())
        return;

    // Rendered in device pixels, so the picture stays sharp on a scaled screen.
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    PreviewRequest request;
    request.path = path;
    request.inputType = static_cast<std::uint32_t>(nInType);
    request.areaWidth = static_cast<int>(std::lround(clientRect.width() * ratio));
    request.areaHeight = static_cast<int>(std::lround(clientRect.height() * ratio));
    const std::shared_ptr<const PreviewResult> preview = m_cache.Get(request);

    const PreviewRect& fitted = preview->rect;
    const int width = fitted.Width();
    const int height = fitted.Height();
    if (!preview->ok || width <= 0 || height <= 0 ||
        preview->rgba.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4)
        return;
    // The image only borrows the kept pixels, which outlive this call.
    QImage image(preview->rgba.data(), width, height, width * 4, QImage::Format_RGBA8888);
    image.setDevicePixelRatio(ratio);
    const QRectF target(clientRect.left() + fitted.left / ratio, clientRect.top() + fitted.top / ratio, width / ratio,
                        height / ratio);
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(target, image);
    painter.restore();
}
