#pragma once

#include "ConversionOptions.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// One output file of a conversion job.
struct OutputRequest {
    std::string path;
    std::uint32_t typeCode = 0;
};

struct OutputResult {
    OutputResult() = default;
    OutputResult(std::string outPath, std::uint32_t type, bool wasWritten, std::string why)
        : path(std::move(outPath)), typeCode(type), written(wasWritten), reason(std::move(why))
    {
    }

    std::string path;
    std::uint32_t typeCode = 0;
    bool written = false;
    std::string reason;  // short, for the user, when not written; empty otherwise
    // Not written because the file exists and the options say skip it; not a
    // failure (reason is empty then).
    bool skipped = false;
    // Where the output was written, when that is not `path`: the numbered
    // name the options' rename policy chose ("photo (2).png"). Empty otherwise.
    std::string renamedTo;

    // Handled as asked: written, or skipped by the options.
    bool Done() const { return written || skipped; }
};

// One input picture, decoded once, and the outputs to write from it. Each
// output is encoded from its own copy of the decoded pixels, so the outputs
// are exactly those of decoding afresh per format.
struct ConversionJob {
    std::string inputPath;
    std::uint32_t inputType = 0;  // TypeFromPath of inputPath; only a hint
    std::vector<OutputRequest> outputs;
    ConversionOptions options;  // how the outputs are written; the defaults are the plain conversion
};

struct ConversionResult {
    bool decoded = false;
    std::string decodeError;            // why the input could not be read
    std::vector<OutputResult> outputs;  // one per request, in request order
    std::string damage;                 // when decoded: what the decoder said was damaged, or ""
};

// The line for an input whose picture came damaged:
// "the picture is damaged (<damage>); what could be read was written", the
// last part only when an output was written.
std::string DamagedPictureReason(const std::string& damage, bool anyWritten);

// A job none of whose outputs was written, for the same reason: the input
// could not be read, or whatever was to run the job failed.
ConversionResult FailedConversionResult(const ConversionJob& job, const std::string& reason);

// Told how many of a job's outputs are handled so far, written or not.
using OutputProgress = std::function<void(std::size_t handled)>;

// Whatever runs jobs: this process (tests, tools) or the worker pool.
class IJobRunner {
public:
    virtual ~IJobRunner() = default;
    // Blocks until every output of the job is handled. Never throws.
    virtual ConversionResult Run(const ConversionJob& job) = 0;

    // Run, telling `progress` as outputs are handled: in steps of one or
    // more, the last call with all of them, from the runner's threads, never
    // two calls at once. By default the one call comes at the end.
    virtual ConversionResult RunWithProgress(const ConversionJob& job, const OutputProgress& progress)
    {
        ConversionResult result = Run(job);
        if (progress)
            progress(job.outputs.size());
        return result;
    }
};
