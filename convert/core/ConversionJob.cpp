#include "ConversionJob.h"

ConversionResult FailedConversionResult(const ConversionJob& job, const std::string& reason)
{
    ConversionResult result;
    result.decodeError = reason;
    for (const OutputRequest& output : job.outputs)
        result.outputs.push_back(OutputResult{output.path, output.typeCode, false, reason});
    return result;
}
