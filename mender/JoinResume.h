#pragma once
// What an interrupted delete-as-you-go join leaves for the next run: a small
// file next to the rebuilt file that says which join-info file it belongs
// to and how many pieces (and bytes) the rebuilt file already holds safely.
// It is written and synced before a piece is deleted, so after a kill at any
// moment the next run knows where to go on.
#include <cstdint>
#include <string>
#include <vector>

#include "Files.h"

namespace modMender {

struct ResumeState {
    std::string joinInfo;    // the join-info file's absolute path
    std::string sourceName;  // line 2 of the join-info file
    int32_t count = 0;       // pieces in the set
    int32_t joined = 0;      // pieces 1 to joined are whole in the rebuilt file
    std::vector<int64_t> pieceLengths;  // of pieces 1 to joined, in order

    int64_t JoinedLength() const;
};

// The state file of a rebuilt file: a hidden file beside it.
std::string ResumeStatePath(const std::string& rebuiltPath);

// False when there is no state file or it cannot be read as one.
bool ReadResumeState(const std::string& path, ResumeState& state);
// Replaces the state file as one step (a synced file renamed over the old one,
// then the folder synced), so a kill leaves either the old state or the new.
IoStatus WriteResumeState(const std::string& path, const ResumeState& state);

// The absolute form of a path, the way the state file records join-info files.
std::string AbsolutePath(const std::string& path);

}  // namespace modMender
