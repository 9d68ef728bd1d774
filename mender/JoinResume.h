#pragma once
// What an interrupted delete-as-you-go join leaves for the next run: a small
// file next to the rebuilt file that says which set it belongs to (the lines
// of the join-info file, and the length and SHA-256 of every piece joined,
// taken from the copy's own hashing) and how much of the rebuilt file is safe.
// It is written and synced before a piece is deleted, so after a kill at any
// moment the next run knows where to go on; and it is applied only to the set
// it describes, wherever that set's folder or disk is now.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "Files.h"
#include "Manifest.h"
#include "SplitSet.h"

namespace modMender {

struct JoinedPiece {
    int64_t length = 0;
    std::string hash;   // 64 lowercase hexadecimal digits; empty when the piece went past no hasher
    bool kept = false;  // not deleted: nothing vouched for it yet
    // Not joined: its place in the rebuilt file holds no bytes of it yet, and
    // is filled from the set's recovery data once every other piece is in.
    bool hole = false;
    bool operator==(const JoinedPiece&) const = default;
};

struct ResumeState {
    std::string countLine;   // line 1 of the join-info file (empty for a numbered set)
    std::string sourceName;  // line 2 of the join-info file
    int32_t count = 0;       // pieces in the set
    std::vector<JoinedPiece> pieces;  // pieces 1 to Joined(), whole in the rebuilt file or holes
    bool complete = false;   // every piece joined; what is left is deleting the set's files
    int32_t firstNumber = 1; // the number piece 1 carries: 0 in a numbered set that starts at NAME.000

    int32_t Joined() const { return static_cast<int32_t>(pieces.size()); }
    int64_t JoinedLength() const;
    bool HasHoles() const;
    bool operator==(const ResumeState&) const = default;
};

// The state file of a rebuilt file: a hidden file beside it,
// ".NAME.mender-resume". A name too long for that keeps its start and gets a
// hash of the whole name instead of its end, so every rebuilt file the folder
// can hold has a state file the folder can hold too.
std::string ResumeStatePath(const std::string& rebuiltPath);

// Fails (naming the file) when the file cannot be opened or read, or does not
// hold a state this program writes.
IoStatus ReadResumeState(const std::string& path, ResumeState& state);
// Replaces the state file as one step (a synced file renamed over the old one,
// then the folder synced), so a kill leaves either the old state or the new.
// A failure names the file or folder it is about.
IoStatus WriteResumeState(const std::string& path, const ResumeState& state);

// Why a saved state is not the state of the set in front of the join; empty
// when it is. The set is `names` (in the folder where the join-info file is
// now) described by `current` (its lines and count); `manifest` is the one
// beside it, when there is one; `hashOf` gives the SHA-256 of a file (empty
// when it cannot be read). The state is the set's when its lines are the
// set's, every piece it joined that is still (or again) at its path is the
// very piece joined, and no line of the manifest differs from a piece joined.
// Otherwise the reason, in the user's language.
std::string WhyNotThisSet(const ResumeState& saved, const ResumeState& current, const SplitSetNames& names,
                          const Manifest* manifest, const std::function<std::string(const std::string&)>& hashOf);

}  // namespace modMender
