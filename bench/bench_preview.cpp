// Times the page's preview of a 24-megapixel JPEG against decoding it in full
// and scaling it, as a preview without the reduced decode and the kept
// previews would:
//   bench_preview [RUNS]   (default 7; the picture is made once in bench/out)
// first preview: the engine's preview worker (reduced JPEG decode) and the
//                painting, with nothing kept, until the picture is painted;
// repaint:       the same picture painted again from the kept preview;
// full:          ImageCodec::Load of every pixel and Draw into the same rectangle.
#include "PicturePreview.h"

#include "ConversionEngine.h"
#include "ImageCodec.h"
#include "OutputFormat.h"
#include "PreviewGeometry.h"

#include <Magick++.h>
#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;
// About the Single page's frame at 96 dpi.
constexpr int kAreaWidth = 254;
constexpr int kAreaHeight = 249;

// A photo-like picture from a fixed seed: soft colour fields, some edges and
// sensor-like noise, so the JPEG is as hard to decode as a real photo.
void MakePicture(const std::string& path)
{
    std::mt19937 random(20240617);
    std::normal_distribution<float> noise(0.0f, 6.0f);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    struct Blob { float x, y, r, g, b, size; };
    std::vector<Blob> blobs(40);
    for (Blob& blob : blobs)
        blob = {unit(random) * kWidth, unit(random) * kHeight, unit(random) * 255, unit(random) * 255,
                unit(random) * 255, 300 + unit(random) * 1500};
    std::vector<unsigned char> pixels(static_cast<std::size_t>(kWidth) * kHeight * 3);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            float rgb[3] = {90.0f + 60.0f * y / kHeight, 110.0f, 140.0f - 50.0f * x / kWidth};
            for (const Blob& blob : blobs) {
                const float d2 = ((x - blob.x) * (x - blob.x) + (y - blob.y) * (y - blob.y)) / (blob.size * blob.size);
                if (d2 < 1.0f) {
                    const float w = 1.0f - d2;
                    rgb[0] += (blob.r - rgb[0]) * w;
                    rgb[1] += (blob.g - rgb[1]) * w;
                    rgb[2] += (blob.b - rgb[2]) * w;
                }
            }
            unsigned char* p = &pixels[(static_cast<std::size_t>(y) * kWidth + x) * 3];
            for (int c = 0; c < 3; ++c)
                p[c] = static_cast<unsigned char>(std::clamp(rgb[c] + noise(random), 0.0f, 255.0f));
        }
    }
    Magick::Image image(kWidth, kHeight, "RGB", Magick::CharPixel, pixels.data());
    image.quality(90);
    image.write("jpeg:" + path);
}

double Median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

double TimeMs(const std::function<void()>& work)
{
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    EngineOptions options;
    options.workerProgram = TESSAGLYPH_WORKER;
    options.conversionWorkers = 1;
    ConversionEngine engine(options);
    // The full decode below runs here, under the same ImageMagick policy as
    // the workers, so only the method differs.
    if (!engine.PolicyFolder().empty())
        qputenv("MAGICK_CONFIGURE_PATH", QByteArray::fromStdString(engine.PolicyFolder()));
    Magick::InitializeMagick(argv[0]);

    const fs::path folder = fs::path(TESSAGLYPH_BENCH_OUT);
    fs::create_directories(folder);
    const std::string picture = (folder / "preview-24mp.jpg").string();
    if (!fs::exists(picture)) {
        std::printf("making %s ...\n", picture.c_str());
        MakePicture(picture);
    }

    const auto render = [&engine](const PreviewRequest& request) { return engine.Preview(request); };
    std::unique_ptr<PicturePreview> preview;
    QImage canvas(kAreaWidth, kAreaHeight, QImage::Format_RGB32);
    int type = 0;
    const auto paint = [&] {
        QPainter painter(&canvas);
        preview->DrawPreview(painter, canvas.rect(), picture, type);
    };
    // The first paint asks; the one after the answer draws the picture.
    const auto paintAnswered = [&] {
        preview = std::make_unique<PicturePreview>(render, nullptr);
        paint();
        while (preview->Waiting())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        paint();
    };
    paintAnswered();  // starts the preview worker's libraries
    if (canvas.pixelColor(kAreaWidth / 2, kAreaHeight / 2) == QColor(128, 128, 128)) {
        std::fprintf(stderr, "the preview worker could not show %s\n", picture.c_str());
        return 1;
    }

    std::vector<double> first, repaint, full;
    for (int run = 0; run < runs; ++run) {
        first.push_back(TimeMs(paintAnswered));
        repaint.push_back(TimeMs(paint));
        full.push_back(TimeMs([&] {
            ImageCodec codec;
            if (!codec.Load(picture, kTypeJpg))
                return;
            const PreviewRect rect =
                FitPreviewRect(PreviewRect{0, 0, kAreaWidth, kAreaHeight}, codec.GetWidth(), codec.GetHeight());
            std::vector<std::uint8_t> rgba;
            codec.Draw(static_cast<std::uint32_t>(rect.Width()), static_cast<std::uint32_t>(rect.Height()), rgba);
            QImage image(rgba.data(), rect.Width(), rect.Height(), rect.Width() * 4, QImage::Format_RGBA8888);
            QPainter painter(&canvas);
            painter.drawImage(rect.left, rect.top, image);
        }));
    }
    const double f = Median(first), r = Median(repaint), d = Median(full);
    std::printf("24-megapixel JPEG into %dx%d, median of %d runs\n", kAreaWidth, kAreaHeight, runs);
    std::printf("  full decode and scale   %9.2f ms\n", d);
    std::printf("  first preview           %9.2f ms   %6.1fx faster (target 3x)\n", f, d / f);
    std::printf("  repaint (kept preview)  %9.3f ms   %6.0fx faster (target 50x)\n", r, d / r);
    return (d / f >= 3.0 && d / r >= 50.0) ? 0 : 2;
}
