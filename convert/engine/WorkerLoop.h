#pragma once

#include "ConversionJob.h"
#include "PreviewJob.h"

#include <functional>

// What a worker process runs for each request. The real worker passes
// RunConversionJob and RenderPreview; tests pass fakes.
struct WorkerJobFunctions {
    std::function<ConversionResult(const ConversionJob&)> convert;
    std::function<PreviewResult(const PreviewRequest&)> preview;
};

// Exit codes of the worker loop.
constexpr int kWorkerExitOk = 0;          // told to exit, or its input closed
constexpr int kWorkerExitBadRequest = 2;  // a request it could not read
constexpr int kWorkerExitPipeBroken = 3;  // its answer could not be written

// Serves framed requests read from `inFd`, one at a time, answering each on
// `outFd`, until an exit request or the end of its input. Blocks; returns one
// of the exit codes above. Ends the process at once, even inside a job, when
// the writer of `inFd` goes away (the parent died), removing the temporary
// file of a write under way.
int RunWorkerLoop(int inFd, int outFd, const WorkerJobFunctions& jobs);

// Makes the process fit to be a worker and returns the descriptors to talk
// on: the protocol moves off 0 and 1, standard input becomes /dev/null and
// standard output goes to standard error, so a library that prints cannot
// corrupt a frame. Also ignores SIGPIPE and SIGINT (a Ctrl+C at a terminal
// stops the parent, which lets the job in flight finish). Returns false if
// the descriptors cannot be set up.
bool PrepareWorkerProcess(int* inFd, int* outFd);
