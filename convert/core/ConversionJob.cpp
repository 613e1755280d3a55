#include "ConversionJob.h"

ConversionResult FailedConversionResult(const ConversionJob& job, const std::string& reason)
{
    ConversionResult result;
    result.decodeError = reason;
    for (const OutputRequest& output : job.outputs)
        result.outputs.push_back(OutputResult{output.path, output.typeCode, false, reason});
    return result;
}

std::string DamagedPictureReason(const std::string& damage, bool anyWritten)
{
    return "the picture is damaged (" + damage + ")" + (anyWritten ? "; what could be read was written" : "");
}
