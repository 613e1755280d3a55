// Times the Batch page itself, as a user drives it:
//   1. AddFolder on a tree of 100,000 pictures (bench/out/batch-tree, made
//      once), then AddFile, select, Delete, Convert (until the bar has its
//      range, then Stop) and Delete All on that list;
//   2. a run of 24 photographs (bench/out/batch-photos, made once) into JPG
//      through the page, counting the bar's updates the window saw.
// Throughout, a 10 ms timer on the user-interface thread records the longest
// gap between its ticks: the longest time the window could not paint.
//   bench_batch_page   (QT_QPA_PLATFORM=offscreen to run without a display)
#include "BatchPage.h"

#include "ConversionEngine.h"
#include "Prompts.h"
#include "ResourceIds.h"

#include <QApplication>
#include <QColor>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

namespace fs = std::filesystem;

namespace {

const fs::path kOut = TESSAGLYPH_BENCH_OUT;

class ScriptedPrompts : public IPrompts {
public:
    std::deque<std::string> files;
    std::deque<std::string> folders;
    std::vector<std::string> messages;

    std::optional<std::string> OpenPictureFile(QWidget*, const std::string&) override { return Next(files); }
    std::vector<std::string> OpenPictureFiles(QWidget*, const std::string&) override
    {
        if (auto one = Next(files))
            return {*one};
        return {};
    }
    std::optional<std::string> BrowseForFolder(QWidget*, const std::string&) override { return Next(folders); }
    void ShowMessage(QWidget*, const std::string& text, MessageIcon) override { messages.push_back(text); }

private:
    static std::optional<std::string> Next(std::deque<std::string>& answers)
    {
        if (answers.empty())
            return std::nullopt;
        std::string answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

// The longest gap between ticks of a 10 ms timer on the user-interface thread.
class StallMeter {
public:
    StallMeter()
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            m_longest = std::max(m_longest, m_clock.restart());
        });
    }
    void Start()
    {
        m_longest = 0;
        m_clock.start();
        m_timer.start();
    }
    qint64 StopMs()
    {
        m_timer.stop();
        return std::max(m_longest, m_clock.elapsed());
    }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_longest = 0;
};

void MakeTree(const fs::path& root)
{
    if (fs::exists(root / ".complete"))
        return;
    for (int a = 0; a < 20; ++a) {
        for (int b = 0; b < 50; ++b) {
            const fs::path folder = root / ("Album " + std::to_string(a)) / ("day" + std::to_string(b));
            fs::create_directories(folder);
            for (int i = 0; i < 100; ++i)
                std::ofstream(folder / ("IMG_" + std::to_string(i) + ".JPG"));
        }
    }
    std::ofstream(root / ".complete");
}

// 24 pictures of 3,000 by 2,000 with smooth shapes and grain, like photographs.
void MakePhotos(const fs::path& folder)
{
    if (fs::exists(folder / ".complete"))
        return;
    fs::create_directories(folder);
    QRandomGenerator random(7);
    for (int n = 0; n < 24; ++n) {
        QImage image(3000, 2000, QImage::Format_RGB32);
        QPainter painter(&image);
        QLinearGradient sky(0, 0, 0, 2000);
        sky.setColorAt(0, QColor::fromHsv((n * 15) % 360, 120, 230));
        sky.setColorAt(1, QColor::fromHsv((n * 15 + 90) % 360, 200, 90));
        painter.fillRect(image.rect(), sky);
        for (int shape = 0; shape < 40; ++shape) {
            painter.setBrush(QColor::fromHsv(random.bounded(360), 150, 60 + random.bounded(180), 160));
            painter.setPen(Qt::NoPen);
            painter.drawEllipse(random.bounded(3000), random.bounded(2000), 100 + random.bounded(800),
                                100 + random.bounded(600));
        }
        painter.end();
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const int grain = random.bounded(17) - 8;
                const QRgb p = line[x];
                line[x] = qRgb(std::clamp(qRed(p) + grain, 0, 255), std::clamp(qGreen(p) + grain, 0, 255),
                               std::clamp(qBlue(p) + grain, 0, 255));
            }
        }
        image.save(QString::fromStdString((folder / ("photo" + std::to_string(n) + ".png")).string()), "PNG");
    }
    std::ofstream(folder / ".complete");
}

// Runs the event loop, as the program does, until `done` holds.
void WaitFor(const std::function<bool()>& done)
{
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (done())
            loop.quit();
    });
    poll.start(5);
    loop.exec();
}

double Ms(const QElapsedTimer& timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const fs::path tree = kOut / "batch-tree";
    const fs::path photos = kOut / "batch-photos";
    const fs::path converted = kOut / "batch-converted";
    std::printf("making the tree and the photographs (once)...\n");
    std::fflush(stdout);
    MakeTree(tree);
    MakePhotos(photos);
    fs::remove_all(converted);
    fs::create_directories(converted);

    EngineOptions options;
    options.workerProgram = TESSAGLYPH_WORKER;
    ConversionEngine engine(options);
    ScriptedPrompts prompts;
    const std::string config = (kOut / "bench-config.ini").string();
    fs::remove(config);
    const PageServices services{prompts, config, &engine};

    QWidget window;
    BatchPage page(services);
    page.Create(res::IDD_BATCH, &window);
    window.resize(page.size());
    window.show();
    QListView* view = page.FileListView();
    auto* bar = page.GetDlgItemAs<QProgressBar>(res::IDC_PROGRESS);
    StallMeter stall;
    QElapsedTimer clock;

    // 1. AddFolder on 100,000 pictures.
    prompts.folders.push_back(tree.string());
    stall.Start();
    clock.start();
    page.GetDlgItemAs<QPushButton>(res::IDC_ADD_FOLDER)->click();
    WaitFor([&] { return !page.IsScanning(); });
    const double scanMs = Ms(clock);
    const qint64 scanStall = stall.StopMs();
    std::printf("AddFolder: %zu entries listed in %.0f ms; longest stall of the window %lld ms\n",
                page.FileList().Size(), scanMs, static_cast<long long>(scanStall));

    // AddFile of one more file into the full list: first one the preview
    // cannot show (the list's own cost), then a photograph (with its first
    // preview, rendered by the preview worker while the window waits).
    prompts.files.push_back((tree / "not there.JPG").string());
    clock.start();
    page.GetDlgItemAs<QPushButton>(res::IDC_ADD_FILE)->click();
    QCoreApplication::processEvents();
    std::printf("AddFile into the full list: %.1f ms\n", Ms(clock));
    prompts.files.push_back((photos / "photo0.png").string());
    clock.start();
    page.GetDlgItemAs<QPushButton>(res::IDC_ADD_FILE)->click();
    page.GetDlgItem(res::IDC_PREVIEW)->repaint();
    std::printf("AddFile of a 3,000 x 2,000 photograph with its first preview: %.1f ms\n", Ms(clock));

    // Select an entry in the middle, as a click would, and repaint.
    clock.start();
    view->setCurrentIndex(view->model()->index(50000, 0));
    view->scrollTo(view->currentIndex());
    QCoreApplication::processEvents();
    std::printf("select entry 50,000 and repaint: %.1f ms\n", Ms(clock));

    clock.start();
    page.GetDlgItemAs<QPushButton>(res::IDC_DELETE)->click();
    QCoreApplication::processEvents();
    std::printf("Delete it: %.1f ms (%zu left)\n", Ms(clock), page.FileList().Size());

    // Convert on the whole list: how long until the bar has its range (the
    // run's planning, which checks every output against every input), and
    // the longest stall meanwhile; then Stop.
    bool ranged = false;
    const auto rangeConnection =
        QObject::connect(&page, &BatchPage::ProgressRangeSet, [&](qint64, qint64) { ranged = true; });
    page.GetDlgItemAs<QLineEdit>(res::IDC_OUT_DIR)->setText(QString::fromStdString(converted.string()));
    stall.Start();
    clock.start();
    page.GetDlgItemAs<QPushButton>(res::IDC_CONVERT)->click();
    WaitFor([&] { return ranged; });
    const double rangeMs = Ms(clock);
    page.GetDlgItemAs<QPushButton>(res::IDC_CONVERT)->click();
    WaitFor([&] { return !page.IsConverting(); });
    QObject::disconnect(rangeConnection);
    std::printf("Convert on %zu entries: the bar's range after %.0f ms; stopped after %.0f ms; longest stall %lld ms\n",
                page.FileList().Size(), rangeMs, Ms(clock), static_cast<long long>(stall.StopMs()));
    prompts.messages.clear();

    clock.start();
    page.GetDlgItemAs<QPushButton>(res::IDC_DELETE_ALL)->click();
    QCoreApplication::processEvents();
    std::printf("Delete All: %.1f ms (%zu left)\n", Ms(clock), page.FileList().Size());

    // 2. 24 photographs into JPG through the page.
    prompts.folders.push_back(photos.string());
    page.GetDlgItemAs<QPushButton>(res::IDC_ADD_FOLDER)->click();
    WaitFor([&] { return !page.IsScanning(); });
    int updates = 0;
    QObject::connect(&page, &BatchPage::ProgressPositionSet, [&](qint64) { ++updates; });
    std::vector<int> seen;
    QObject::connect(bar, &QProgressBar::valueChanged, [&](int value) { seen.push_back(value); });
    page.GetDlgItemAs<QComboBox>(res::IDC_OUT_TYPE)->setCurrentIndex(1);
    page.GetDlgItemAs<QLineEdit>(res::IDC_OUT_DIR)->setText(QString::fromStdString(converted.string()));
    stall.Start();
    clock.start();
    page.GetDlgItemAs<QPushButton>(res::IDC_CONVERT)->click();
    WaitFor([&] { return !page.IsConverting(); });
    const double runMs = Ms(clock);
    const qint64 runStall = stall.StopMs();
    std::printf("Convert %zu photographs of 3,000 x 2,000 to JPG on %zu workers: %.0f ms; "
                "%d bar updates seen by the window (%zu distinct positions); longest stall %lld ms\n",
                page.FileList().Size(), engine.ConversionWorkerCount(), runMs, updates, seen.size(),
                static_cast<long long>(runStall));
    std::printf("message: %s\n", prompts.messages.empty() ? "(none)" : prompts.messages.back().c_str());
    page.DestroyWindow();
    return 0;
}
