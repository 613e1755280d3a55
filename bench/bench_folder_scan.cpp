// Times the folder scan and the picture list on a tree of 100,000 files:
// bench_folder_scan [FOLDER]   (default bench/out/scan-tree, made once)
#include "FolderScan.h"
#include "PictureList.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

void MakeTree(const fs::path& root)
{
    if (fs::exists(root / ".complete"))
        return;
    // 1,000 folders in two levels, 100 files each: nine kinds of picture and one text file.
    const char* names[] = {".bmp", ".JPG", ".gif", ".pcx", ".png", ".ico", ".tif", ".tga", ".raw", ".txt"};
    for (int a = 0; a < 20; ++a) {
        for (int b = 0; b < 50; ++b) {
            const fs::path folder = root / ("Album " + std::to_string(a)) / ("day" + std::to_string(b));
            fs::create_directories(folder);
            for (int i = 0; i < 100; ++i)
                std::ofstream(folder / ("IMG_" + std::to_string(i) + names[i % 10]));
        }
    }
    std::ofstream(root / ".complete");
}

double Seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv)
{
    const fs::path root = argc > 1 ? fs::path(argv[1]) : fs::path(TESSAGLYPH_BENCH_OUT) / "scan-tree";
    MakeTree(root);

    std::vector<std::string> found;
    auto start = Clock::now();
    FolderScan scan([&found](const std::string& path) { found.push_back(path); });
    const FolderScanResult result = scan.Run(root.string());
    const double scanTime = Seconds(start);

    PictureList list;
    start = Clock::now();
    list.AddMany(found);
    const double addTime = Seconds(start);
    start = Clock::now();
    const std::size_t again = list.AddMany(found);
    const double addAgainTime = Seconds(start);
    start = Clock::now();
    for (int i = 0; i < 1000 && !list.Empty(); ++i)
        list.RemoveAt(list.Size() / 2);
    const double removeTime = Seconds(start);

    std::printf("scan: %zu pictures in %.3f s (%zu folders skipped)\n", found.size(), scanTime,
                result.skippedFolders.size());
    std::printf("list: add all %.3f s, add all again (%zu new) %.3f s, 1,000 removals from the middle %.3f s\n",
                addTime, again, addAgainTime, removeTime);
    return 0;
}
