#pragma once

#include "ConversionJob.h"
#include "IMessageSink.h"
#include "OutputFormat.h"

#include <array>
#include <string>

// Converting one picture into the ticked formats, in three steps so a page
// can run the middle one off its user-interface thread:
//   PlanConversion   checks the inputs and names the outputs (fast, no I/O);
//   an IJobRunner    decodes once and writes every output (slow);
//   ConversionMessage turns the result into the one message for the user.

// One flag per row of the format table, in table order; nonzero is ticked.
using FormatFlags = std::array<int, kOutputFormatCount>;

struct ConversionPlan {
    bool refused = true;
    std::string message;  // when refused: the message to show
    ConversionJob job;    // otherwise: the outputs in table order
};

// Refuses an empty input path or out folder ("Please select in file and Out
// folder.", checked first), then no ticked format ("Please select out file
// type."). Otherwise each ticked row gives the output
// OutputBasePath(outDir, TitleFromPath(inPath)) + extension. The job carries
// `options`.
ConversionPlan PlanConversion(const std::string& inPath, const std::string& outDir, const FormatFlags& flags,
                              const ConversionOptions& options = ConversionOptions());

// "Convert picture OK." only when every output of the job was written as
// asked (an output skipped because the options say so counts as done).
// Otherwise "Convert picture failed." followed by one line per output not
// written ("<output path>: <reason>"), or for an input that did not decode
// the single line "<input path>: <reason>". A picture that came damaged
// gets the line "<input path>: the picture is damaged (...)" first. Outputs
// skipped or written under a new name add, after those, one line each
// ("<output path>: skipped: the file exists", "<output path>: written as
// photo (2).png") and the lines that count them (SkippedAndRenamedCounts);
// without any the message is exactly as above.
std::string ConversionMessage(const ConversionJob& job, const ConversionResult& result);

// All three steps on the calling thread; shows exactly one message.
void ConvertFile(const std::string& inPath, const std::string& outDir, const FormatFlags& flags,
                 IJobRunner& runner, IMessageSink& messages, const ConversionOptions& options = ConversionOptions());
