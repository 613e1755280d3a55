#pragma once

#include "ConversionJob.h"
#include "OutputFormat.h"
#include "PreviewJob.h"

#include <cstdint>

// The request the window sent before the worker's bytes of a worker-message
// fuzz input arrive, chosen by the input's first byte: bit 0 picks a preview
// (the Single page's frame size) or a conversion, bits 1 to 3 the number of
// outputs of a conversion (1 to 8, in table order). Bits 4 to 7 are the
// read size (see WorkerMessageCheck.cpp).
constexpr std::uint64_t kSentJobId = 42;

struct SentRequest {
    bool isPreview = false;
    ConversionJob job;
    PreviewRequest preview;
};

inline SentRequest SentRequestFor(std::uint8_t scenario)
{
    SentRequest sent;
    sent.isPreview = (scenario & 1) != 0;
    sent.job.inputPath = "/pictures/in.png";
    sent.job.inputType = kTypePng;
    const std::size_t outputs = 1 + ((scenario >> 1) & 7);
    for (std::size_t i = 0; i < outputs; ++i) {
        const OutputFormat& format = OutputFormats()[i];
        sent.job.outputs.push_back({std::string("/out/in") + format.extension, format.typeCode});
    }
    sent.preview = PreviewRequest{"/pictures/in.png", kTypePng, 250, 230};
    return sent;
}
