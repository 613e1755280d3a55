#pragma once

// The jobs run in this process, on the codec: what a worker does for each
// request, and what tests and tools use without a worker.

#include "ConversionJob.h"
#include "PreviewJob.h"

// Runs a job in this process. Never throws. An output whose path is the input
// file itself is refused, so the input is never overwritten. JPG outputs get
// the JPG preparation of both conversions: true colour unless the picture is
// grey, quality 90.
ConversionResult RunConversionJob(const ConversionJob& job);

// Decodes (at reduced size where the format allows, never below twice the
// area) and scales smoothly, in this process. Never throws.
PreviewResult RenderPreview(const PreviewRequest& request);

class InProcessJobRunner final : public IJobRunner {
public:
    ConversionResult Run(const ConversionJob& job) override { return RunConversionJob(job); }
};
