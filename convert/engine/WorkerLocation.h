#pragma once

#include <string>

// Where the worker program and our ImageMagick policy live. The build puts
// every program in one folder and the policy in magick/ beside them; an
// installed copy has the programs in bin/ and the policy in
// share/tessaglyph/magick/.

constexpr const char* kWorkerProgramName = "tessaglyph-convert";

// The folder of the running program, from /proc/self/exe; empty if unknown.
std::string ExecutableFolder();

// The worker program beside the running program.
std::string DefaultWorkerProgram();

// The folder holding policy.xml for the given worker program, tried in the
// build layout, then the installed one; empty when neither has it.
std::string FindPolicyFolder(const std::string& workerProgram);
