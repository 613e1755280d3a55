#include "InProcessJobs.h"

#include "ImageCodec.h"
#include "OutputFormat.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace {

// True when writing `output` would replace the input file, through any
// spelling of its path, a link or a hard link.
bool IsSameFile(const std::string& input, const std::string& output)
{
    std::error_code error;
    if (std::filesystem::equivalent(input, output, error))
        return true;
    const auto inputPath = std::filesystem::weakly_canonical(input, error);
    if (error)
        return false;
    const auto outputPath = std::filesystem::weakly_canonical(output, error);
    return !error && inputPath == outputPath;
}

// The JPG rule: true colour unless the picture is grey, and quality 90.
void PrepareJpeg(ImageCodec& picture)
{
    if (!picture.IsGrayScale())
        picture.IncreaseBpp(24);
    picture.SetJpegQuality(90);
}

void WriteOutput(ImageCodec& copy, OutputResult& output)
{
    if (!copy.IsValid()) {
        output.reason = copy.GetLastError().empty() ? "not enough memory" : copy.GetLastError();
        return;
    }
    if (output.typeCode == kTypeJpg)
        PrepareJpeg(copy);
    output.written = copy.Save(output.path, output.typeCode);
    if (!output.written)
        output.reason = copy.GetLastError();
}

}  // namespace

ConversionResult RunConversionJob(const ConversionJob& job)
{
    ConversionResult result;
    result.outputs.reserve(job.outputs.size());
    for (const OutputRequest& request : job.outputs)
        result.outputs.push_back(OutputResult{request.path, request.typeCode, false, std::string()});
    try {
        ImageCodec decoded;
        // Every frame only when an output keeps them; the others take the
        // first frame of that same decode.
        const bool keepFrames = std::any_of(job.outputs.begin(), job.outputs.end(),
                                            [](const OutputRequest& output) { return KeepsAnimation(output.typeCode); });
        result.decoded = keepFrames ? decoded.LoadWithFrames(job.inputPath, job.inputType)
                                    : decoded.Load(job.inputPath, job.inputType);
        result.damage = decoded.GetDamage();
        if (!result.decoded) {
            result.decodeError = decoded.GetLastError();
            for (OutputResult& output : result.outputs)
                output.reason = "the input picture cannot be read";
            return result;
        }
        for (std::size_t i = 0; i < result.outputs.size(); ++i) {
            OutputResult& output = result.outputs[i];
            if (IsSameFile(job.inputPath, output.path)) {
                output.reason = "it would replace the input picture";
                continue;
            }
            // Each output gets its own copy, so nothing done for one format
            // (the JPG preparation, GIF's colour reduction) reaches the next.
            // The copies run on this thread, so copy-on-write is safe, and
            // only formats that change pixels pay for copying them (an eager
            // copy of a 12-megapixel picture costs up to half a second).
            // The last one may take the decoded picture itself.
            const bool lastUse = i + 1 == result.outputs.size();
            ImageCodec copy = lastUse ? std::move(decoded) : decoded.Clone();
            WriteOutput(copy, output);
        }
    } catch (...) {
        // Only allocation can throw here; what was written stays reported.
        for (OutputResult& output : result.outputs) {
            if (!output.written && output.reason.empty())
                output.reason = "not enough memory";
        }
    }
    return result;
}
