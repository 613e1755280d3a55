#include "ConvertFile.h"

#include "ConvertMessages.h"
#include "Naming.h"

namespace {

ConversionPlan Refuse(const char* message)
{
    ConversionPlan plan;
    plan.message = message;
    return plan;
}

}  // namespace

ConversionPlan PlanConversion(const std::string& inPath, const std::string& outDir, const FormatFlags& flags,
                              const ConversionOptions& options)
{
    if (inPath.empty() || outDir.empty())
        return Refuse(kMsgSelectInAndOut);
    bool anyTicked = false;
    for (int flag : flags)
        anyTicked = anyTicked || flag != 0;
    if (!anyTicked)
        return Refuse(kMsgSelectOutType);

    ConversionPlan plan;
    plan.refused = false;
    plan.job.inputPath = inPath;
    plan.job.inputType = TypeFromPath(inPath);
    plan.job.options = options;
    const std::string basePath = OutputBasePath(outDir, TitleFromPath(inPath));
    for (std::size_t row = 0; row < kOutputFormatCount; ++row) {
        if (flags[row] == 0)
            continue;
        const std::string outPath = basePath + OutputFormats()[row].extension;
        plan.job.outputs.push_back(OutputRequest{outPath, TypeFromPath(outPath)});
    }
    return plan;
}

std::string ConversionMessage(const ConversionJob& job, const ConversionResult& result)
{
    std::string failures;
    std::string handled;  // skipped or written under another name, as the options asked
    std::size_t skipped = 0;
    std::size_t renamed = 0;
    if (!result.decoded) {
        const std::string reason = result.decodeError.empty() ? "it cannot be read" : result.decodeError;
        failures += "\n" + job.inputPath + ": " + reason;
    } else {
        if (!result.damage.empty()) {
            bool anyWritten = false;
            for (const OutputResult& output : result.outputs)
                anyWritten = anyWritten || output.written;
            failures += "\n" + job.inputPath + ": " + DamagedPictureReason(result.damage, anyWritten);
        }
        for (std::size_t i = 0; i < job.outputs.size(); ++i) {
            // A runner that lost track of an output has not written it.
            const bool reported = i < result.outputs.size() && result.outputs[i].path == job.outputs[i].path;
            if (reported && result.outputs[i].Done()) {
                const OutputResult& output = result.outputs[i];
                if (output.skipped || !output.renamedTo.empty()) {
                    ++(output.skipped ? skipped : renamed);
                    handled += "\n" + output.path + ": " +
                               (output.skipped ? std::string(kMsgSkippedExists) : WrittenAsLine(output.renamedTo));
                }
                continue;
            }
            std::string reason = reported ? result.outputs[i].reason : std::string();
            if (reason.empty())
                reason = "it was not written";
            failures += "\n" + job.outputs[i].path + ": " + reason;
        }
    }
    const std::string counted = handled + SkippedAndRenamedCounts(skipped, renamed);
    if (failures.empty())
        return kMsgConvertOk + counted;
    return kMsgConvertFailed + failures + counted;
}

void ConvertFile(const std::string& inPath, const std::string& outDir, const FormatFlags& flags,
                 IJobRunner& runner, IMessageSink& messages, const ConversionOptions& options)
{
    const ConversionPlan plan = PlanConversion(inPath, outDir, flags, options);
    if (plan.refused) {
        messages.ShowMessage(plan.message);
        return;
    }
    const ConversionResult result = runner.Run(plan.job);
    messages.ShowMessage(ConversionMessage(plan.job, result));
}
