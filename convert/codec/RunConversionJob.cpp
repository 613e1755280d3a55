#include "InProcessJobs.h"

#include "FileIo.h"
#include "ImageCodec.h"
#include "OutputFormat.h"

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

// The JPG rule: true colour unless the picture is grey, at the options'
// quality (90 by default).
void PrepareJpeg(ImageCodec& picture, int quality)
{
    if (!picture.IsGrayScale())
        picture.IncreaseBpp(24);
    picture.SetJpegQuality(static_cast<std::uint8_t>(quality));
}

void WriteOutput(ImageCodec& copy, const ConversionOptions& options, OutputResult& output)
{
    if (!copy.IsValid()) {
        output.reason = copy.GetLastError().empty() ? "not enough memory" : copy.GetLastError();
        return;
    }
    if (output.typeCode == kTypeJpg)
        PrepareJpeg(copy, options.jpegQuality);
    std::string writtenPath;
    output.written = copy.SaveAsOptionsSay(output.path, output.typeCode, writtenPath, output.skipped);
    if (output.written && writtenPath != output.path)
        output.renamedTo = writtenPath;
    if (!output.written && !output.skipped)
        output.reason = copy.GetLastError();
}

// Under "skip", an output whose file is there already costs no work at all.
void SkipExisting(const ConversionJob& job, ConversionResult& result)
{
    if (job.options.ifExists != ExistingFiles::Skip)
        return;
    for (OutputResult& output : result.outputs)
        output.skipped = IdentifyPath(output.path).exists;
}

}  // namespace

ConversionResult RunConversionJob(const ConversionJob& job)
{
    ConversionResult result;
    result.outputs.reserve(job.outputs.size());
    for (const OutputRequest& request : job.outputs)
        result.outputs.push_back(OutputResult{request.path, request.typeCode, false, std::string()});
    SkipExisting(job, result);
    std::size_t last = result.outputs.size();
    while (last > 0 && result.outputs[last - 1].skipped)
        --last;
    if (last == 0) {
        result.decoded = true;  // nothing needed the picture
        return result;
    }
    try {
        ImageCodec decoded;
        result.decoded = decoded.Load(job.inputPath, job.inputType);
        result.damage = decoded.GetDamage();
        if (!result.decoded) {
            result.decodeError = decoded.GetLastError();
            for (OutputResult& output : result.outputs) {
                if (!output.skipped)
                    output.reason = "the input picture cannot be read";
            }
            return result;
        }
        if (!decoded.ApplyOptions(job.options)) {
            for (OutputResult& output : result.outputs) {
                if (!output.skipped)
                    output.reason = decoded.GetLastError();
            }
            return result;
        }
        for (std::size_t i = 0; i < last; ++i) {
            OutputResult& output = result.outputs[i];
            if (output.skipped)
                continue;
            // Skipping and numbering never replace a file, the input included.
            if (job.options.ifExists == ExistingFiles::Replace && IsSameFile(job.inputPath, output.path)) {
                output.reason = "it would replace the input picture";
                continue;
            }
            // Each output gets its own copy, so nothing done for one format
            // (the JPG preparation, GIF's colour reduction) reaches the next.
            // The copies run on this thread, so copy-on-write is safe, and
            // only formats that change pixels pay for copying them (an eager
            // copy of a 12-megapixel picture costs up to half a second).
            // The last one may take the decoded picture itself.
            const bool lastUse = i + 1 == last;
            ImageCodec copy = lastUse ? std::move(decoded) : decoded.Clone();
            WriteOutput(copy, job.options, output);
        }
    } catch (...) {
        // Only allocation can throw here; what was written stays reported.
        for (OutputResult& output : result.outputs) {
            if (!output.Done() && output.reason.empty())
                output.reason = "not enough memory";
        }
    }
    return result;
}
