#pragma once

#include "FileIo.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

// The input files of one run, so that no output of the run lands on any of
// them: not on the same path, not through a symbolic link either way, not on
// a hard link. Looks at the disk only for outputs that exist already, and
// learns the inputs' identities at the first of those, so a run into an empty
// folder costs one failed lstat per output. Not thread-safe.
class InputFiles {
public:
    // Keeps a reference: `inputs` must outlive this object.
    explicit InputFiles(const std::vector<std::string>& inputs) : m_inputs(inputs) {}

    // The input that writing `output` would replace; nullptr when none.
    const std::string* ReplacedBy(const std::string& output);

private:
    struct FileIdHash {
        std::size_t operator()(const FileId& id) const { return std::hash<std::uint64_t>()(id.inode * 31 + id.device); }
    };

    void Identify();

    const std::vector<std::string>& m_inputs;
    bool m_bIdentified = false;
    std::unordered_map<FileId, std::size_t, FileIdHash> m_byId;  // each input's file, and its link's
};
