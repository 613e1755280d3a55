#include "PicturePreview.h"

#include "ConversionEngine.h"
#include "OutputFormat.h"

#include <QImage>
#include <QPainter>
#include <QPaintDevice>

#include <cmath>
#include <memory>
#include <utility>

namespace {

bool SameAsked(const PreviewRequest& a, const FileStamp& stampA, const PreviewRequest& b, const FileStamp& stampB)
{
    return a.path == b.path && a.areaWidth == b.areaWidth && a.areaHeight == b.areaHeight && stampA == stampB;
}

}  // namespace

PicturePreview::PicturePreview(Renderer render, std::function<void()> ready, std::size_t keep)
    : m_render(std::move(render))
    , m_ready(std::move(ready))
    , m_cache(keep)
{
}

PicturePreview::Renderer PicturePreview::EngineRenderer(ConversionEngine* engine)
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
    Asked asked;
    asked.request.path = path;
    asked.request.inputType = static_cast<std::uint32_t>(nInType);
    asked.request.areaWidth = static_cast<int>(std::lround(clientRect.width() * ratio));
    asked.request.areaHeight = static_cast<int>(std::lround(clientRect.height() * ratio));
    asked.stamp = StampOf(path);
    const std::shared_ptr<const PreviewResult> preview = m_cache.Find(asked.request, asked.stamp);
    if (!preview) {
        Ask(asked);
        return;
    }

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

void PicturePreview::Ask(const Asked& asked)
{
    if (!m_out) {
        Start(asked);
        return;
    }
    // The preview worker cannot be interrupted; the newest request goes next.
    if (SameAsked(m_out->request, m_out->stamp, asked.request, asked.stamp))
        m_next.reset();
    else
        m_next = asked;
}

void PicturePreview::Start(const Asked& asked)
{
    m_out = asked;
    m_job.Start([render = m_render, request = asked.request](const JobControl&) {
        if (render)
            return render(request);
        PreviewResult none;
        none.error = "no preview renderer";
        return none;
    },
                [this](PreviewResult result) { OnAnswer(std::move(result)); });
}

void PicturePreview::OnAnswer(PreviewResult result)
{
    // Kept under the stamp the request saw: a file changed meanwhile renders again.
    m_cache.Put(m_out->request, m_out->stamp, std::make_shared<const PreviewResult>(std::move(result)));
    m_out.reset();
    if (m_next) {
        const Asked next = *std::exchange(m_next, std::nullopt);
        if (!m_cache.Find(next.request, next.stamp))
            Start(next);
    }
    if (m_ready)
        m_ready();
}

void PicturePreview::Finish()
{
    m_next.reset();
    m_job.WaitForEnd();
}
