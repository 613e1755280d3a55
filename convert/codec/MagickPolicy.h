#pragma once

#include <string>

// Texts derived from ReadableFormats(), so the table is the one place a
// readable format is added.

// The ImageMagick policy the workers read (MAGICK_CONFIGURE_PATH): the
// coders the sniffer can pick may read, the coders the encoder writes with
// may write, nothing else runs; resource ceilings as CodecEnvironment sets.
// The build writes it to magick/policy.xml beside the programs.
std::string WorkerPolicyXml();

// The README's table of readable formats (Markdown, one row per format).
std::string ReadmeFormatTable();
