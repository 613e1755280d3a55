#pragma once

// The jobs run in this process, on the codec: what a worker does for each
// request, and what tests and tools use without a worker.

#include "ConversionJob.h"
#include "PreviewJob.h"

// Runs a job in this process. Never throws. An output whose path is the input
// file itself is refused, so the input is never overwritten. JPG outputs get
// the JPG preparation of both conversions: true colour unless the picture is
// grey, at the options' quality (90). The job's options are applied to the
// decoded picture once (resize, metadata) and decide what happens to an
// output file that exists: replaced, skipped (no work done for it; when every
// output is skipped the input is not even read, and `decoded` is still true),
// or written under a numbered name (OutputResult::renamedTo).
ConversionResult RunConversionJob(const ConversionJob& job);

// Decodes (at reduced size where the format allows, never below twice the
// area) and scales smoothly, in this process. Never throws.
PreviewResult RenderPreview(const PreviewRequest& request);

class InProcessJobRunner final : public IJobRunner {
public:
    ConversionResult Run(const ConversionJob& job) override { return RunConversionJob(job); }
};
