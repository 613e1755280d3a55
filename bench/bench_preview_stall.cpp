// The Single page while it previews a 24-megapixel PNG, as a user meets it:
//   bench_preview_stall [RUNS]   (default 5; the picture is made once in bench/out)
// Open File picks the picture; a 2 ms timer on the user-interface thread
// records the longest gap between its ticks until the frame shows the
// picture: the longest time the window could not paint (target: under
// 20 ms). Also timed: how long the picture took to appear, and a repaint of
// the frame from the kept preview.
//   QT_QPA_PLATFORM=offscreen to run without a display.
#include "SinglePage.h"

#include "ConversionEngine.h"
#include "Prompts.h"
#include "ResourceIds.h"

#include <QApplication>
#include <QColor>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

class OnePicturePrompts : public IPrompts {
public:
    std::string picture;

    std::optional<std::string> OpenPictureFile(QWidget*, const std::string&) override { return picture; }
    std::vector<std::string> OpenPictureFiles(QWidget*, const std::string&) override { return {picture}; }
    std::optional<std::string> BrowseForFolder(QWidget*, const std::string&) override { return std::nullopt; }
    void ShowMessage(QWidget*, const std::string& text, MessageIcon) override
    {
        std::fprintf(stderr, "message: %s\n", text.c_str());
    }
};

// 6,000 by 4,000 pixels of gradients, shapes and grain, so the PNG is as hard
// to decode as a photograph saved as PNG.
void MakePicture(const std::string& path)
{
    QImage image(6000, 4000, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient sky(0, 0, 0, 4000);
    sky.setColorAt(0, QColor(120, 170, 230));
    sky.setColorAt(1, QColor(60, 90, 40));
    painter.fillRect(image.rect(), sky);
    QRandomGenerator random(24);
    painter.setPen(Qt::NoPen);
    for (int shape = 0; shape < 60; ++shape) {
        painter.setBrush(QColor::fromHsv(random.bounded(360), 150, 60 + random.bounded(180), 160));
        painter.drawEllipse(random.bounded(6000), random.bounded(4000), 200 + random.bounded(1500),
                            200 + random.bounded(1200));
    }
    painter.end();
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int grain = static_cast<int>(random.bounded(17)) - 8;
            const QRgb p = line[x];
            line[x] = qRgb(std::clamp(qRed(p) + grain, 0, 255), std::clamp(qGreen(p) + grain, 0, 255),
                           std::clamp(qBlue(p) + grain, 0, 255));
        }
    }
    if (!image.save(QString::fromStdString(path), "PNG"))
        std::fprintf(stderr, "could not write %s\n", path.c_str());
}

// The longest gap between ticks of a 2 ms timer while `busyUntil` is true.
qint64 LongestGap(const std::function<bool()>& busyUntil)
{
    QElapsedTimer gap;
    qint64 longest = 0;
    QTimer ticks;
    ticks.setTimerType(Qt::PreciseTimer);
    ticks.setInterval(2);
    QObject::connect(&ticks, &QTimer::timeout, [&] { longest = std::max(longest, gap.restart()); });
    gap.start();
    ticks.start();
    while (busyUntil())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return std::max(longest, gap.elapsed());
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    QApplication app(argc, argv);

    const fs::path folder = fs::path(TESSAGLYPH_BENCH_OUT);
    fs::create_directories(folder);
    OnePicturePrompts prompts;
    prompts.picture = (folder / "preview-24mp.png").string();
    if (!fs::exists(prompts.picture)) {
        std::printf("making %s ...\n", prompts.picture.c_str());
        MakePicture(prompts.picture);
    }

    EngineOptions options;
    options.workerProgram = TESSAGLYPH_WORKER;
    options.conversionWorkers = 1;
    ConversionEngine engine(options);
    const PageServices services{prompts, (folder / "bench-config.ini").string(), &engine};

    QWidget window;
    window.resize(700, 500);
    window.show();
    std::vector<double> stalls, idle, shown, repaints;
    for (int run = 0; run < runs; ++run) {
        // A new page each run: nothing kept from the run before.
        SinglePage page(services);
        page.Create(res::IDD_SINGLE, &window);
        page.show();
        QWidget* frame = page.GetDlgItem(res::IDC_PREVIEW);
        QCoreApplication::processEvents();

        QElapsedTimer since;
        since.start();
        // As the user's click does it: the handler runs inside the event loop.
        QTimer::singleShot(0, [&] { page.GetDlgItemAs<QPushButton>(res::IDC_OPEN_FILE)->click(); });
        const qint64 longest = LongestGap([&] { return page.Preview().Waiting() || since.elapsed() < 50; });
        QCoreApplication::processEvents();  // the repaint the answer asked for
        const qint64 took = since.elapsed();
        shown.push_back(static_cast<double>(took));
        stalls.push_back(static_cast<double>(longest));
        std::printf("  run %d: stall %lld ms\n", run, static_cast<long long>(longest));
        // The same time with nothing to do: what the machine itself adds.
        idle.push_back(static_cast<double>(LongestGap([&] { return since.elapsed() < 2 * took; })));

        const QImage image = frame->grab().toImage();
        if (image.pixelColor(image.width() / 2, image.height() / 2) == QColor(128, 128, 128))
            std::fprintf(stderr, "run %d: the frame shows no picture\n", run);
        QElapsedTimer paint;
        paint.start();
        frame->repaint();
        repaints.push_back(static_cast<double>(paint.nsecsElapsed()) / 1e6);
        page.DestroyWindow();
    }
    fs::remove(folder / "bench-config.ini");

    const double stall = Median(stalls);
    const double worst = *std::max_element(stalls.begin(), stalls.end());
    std::printf("Single page previewing a 24-megapixel PNG, %d runs\n", runs);
    std::printf("  longest event-loop stall  median %6.1f ms, worst %6.1f ms   (target under 20 ms)\n", stall, worst);
    std::printf("  idle event loop, as long  median %6.1f ms, worst %6.1f ms   (the machine's own)\n", Median(idle),
                *std::max_element(idle.begin(), idle.end()));
    std::printf("  picture shown after       median %6.1f ms\n", Median(shown));
    std::printf("  repaint (kept preview)    median %6.3f ms\n", Median(repaints));
    return worst < 20.0 ? 0 : 2;
}
