// The real worker with two switches, for the tests that prove one bad file
// costs only that file: a job whose input file name holds "crashme" aborts
// the worker, one whose name holds "hang" never answers. The shipped worker
// has no such switches.
#include "InProcessJobs.h"
#include "WorkerLoop.h"

#include <cstdlib>
#include <string>

#include <unistd.h>

namespace {

void Misbehave(const std::string& path)
{
    const std::string name = path.substr(path.rfind('/') + 1);
    if (name.find("crashme") != std::string::npos)
        std::abort();
    if (name.find("hang") != std::string::npos) {
        for (;;)
            ::pause();
    }
}

}  // namespace

int main()
{
    int in = -1;
    int out = -1;
    if (!PrepareWorkerProcess(&in, &out))
        return 1;
    const WorkerJobFunctions jobs{
        [](const ConversionJob& job) {
            Misbehave(job.inputPath);
            return RunConversionJob(job);
        },
        [](const PreviewRequest& request) {
            Misbehave(request.path);
            return RenderPreview(request);
        }};
    return RunWorkerLoop(in, out, jobs);
}
