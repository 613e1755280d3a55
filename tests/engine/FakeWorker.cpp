// A worker with fake jobs, so that the pool, the protocol and the batch run
// can be tested without decoding pictures. Its conversion copies the input's
// bytes and appends the output's type code and this process's id; file names
// steer misbehaviour: "garbage" answers with noise, "closes" exits without an
// answer, "wrongid" answers another job, "slow" takes a while, "fds" lists
// its open descriptors as the reason, "dies" is killed by the kernel in the
// middle of writing its second output, "crashme" aborts and "hangme" never
// answers (conversions and previews).
#include "FileIo.h"
#include "WorkerLoop.h"
#include "WorkerProtocol.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include <sys/resource.h>
#include <unistd.h>

namespace {

int g_outFd = -1;

bool NameHas(const std::string& path, const char* word)
{
    return path.substr(path.rfind('/') + 1).find(word) != std::string::npos;
}

void CrashOrHang(const std::string& path)
{
    if (NameHas(path, "crashme"))
        std::abort();
    if (NameHas(path, "hangme")) {
        for (;;)
            ::pause();
    }
}

ConversionResult FakeConvert(const ConversionJob& job)
{
    CrashOrHang(job.inputPath);
    if (NameHas(job.inputPath, "garbage")) {
        const std::string noise = "TGW\x01\xff\xff\xff\xff this is not a frame";
        (void)!::write(g_outFd, noise.data(), noise.size());
        std::this_thread::sleep_for(std::chrono::seconds(30));
    }
    if (NameHas(job.inputPath, "closes"))
        std::_Exit(0);
    if (NameHas(job.inputPath, "wrongid")) {
        ConversionResult other;
        for (const OutputRequest& o : job.outputs)
            other.outputs.push_back(OutputResult{o.path, o.typeCode, true, ""});
        const auto frame = EncodeConvertResponse(987654321, other);
        (void)!::write(g_outFd, frame->data(), frame->size());
        std::this_thread::sleep_for(std::chrono::seconds(30));
    }
    if (NameHas(job.inputPath, "fds")) {
        ConversionResult listing;
        listing.decoded = true;
        std::string fds;
        for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
            fds += entry.path().filename().string() + " ";
        for (const OutputRequest& o : job.outputs)
            listing.outputs.push_back(OutputResult{o.path, o.typeCode, false, fds});
        return listing;
    }
    if (NameHas(job.inputPath, "slow"))
        std::this_thread::sleep_for(std::chrono::milliseconds(300));

    ConversionResult result;
    std::ifstream in(job.inputPath, std::ios::binary);
    if (!in) {
        result.decodeError = "the picture could not be decoded";
        for (const OutputRequest& o : job.outputs)
            result.outputs.push_back(OutputResult{o.path, o.typeCode, false, ""});
        return result;
    }
    std::ostringstream bytes;
    bytes << in.rdbuf();
    result.decoded = true;
    for (const OutputRequest& o : job.outputs) {
        if (NameHas(job.inputPath, "dies") && !result.outputs.empty()) {
            // A file size limit of one byte: the write after it ends the process.
            const rlimit none{0, 0};
            ::setrlimit(RLIMIT_CORE, &none);
            const rlimit oneByte{1, 1};
            ::setrlimit(RLIMIT_FSIZE, &oneByte);
        }
        const std::string text = bytes.str() + "\n" + std::to_string(o.typeCode) + " " + std::to_string(::getpid()) + "\n";
        std::string error;
        const bool written = WriteFileAtomically(o.path, text.data(), text.size(), error);
        result.outputs.push_back(OutputResult{o.path, o.typeCode, written, error});
    }
    return result;
}

PreviewResult FakePreview(const PreviewRequest& request)
{
    CrashOrHang(request.path);
    PreviewResult result;
    if (NameHas(request.path, "slow"))
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    result.ok = true;
    result.pictureWidth = 2;
    result.pictureHeight = 1;
    result.rect = PreviewRect{0, 0, std::min(2, request.areaWidth), std::min(1, request.areaHeight)};
    result.rgba.assign(static_cast<std::size_t>(result.rect.Width() * result.rect.Height() * 4), 200);
    return result;
}

}  // namespace

int main()
{
    int in = -1;
    if (!PrepareWorkerProcess(&in, &g_outFd))
        return 1;
    return RunWorkerLoop(in, g_outFd, WorkerJobFunctions{FakeConvert, FakePreview});
}
