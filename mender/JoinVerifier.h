#pragma once
// The checks a join makes against the set's NAME.sha256: each piece's hash,
// taken from the blocks as they are copied, against its line; each later
// disk's manifest against the pieces already joined (every disk repeats the
// lines of the disks before it, so a disk of another set shows itself); the
// part of a resumed rebuilt file that is kept, against what was joined; and,
// for an older manifest with a whole-file line, everything copied against that
// line when some piece had no line of its own. A set without a manifest (made
// on Windows, or with --no-checksum) is joined unchecked, and its blocks are
// hashed only where a delete-as-you-go join records them.
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "CopyHasher.h"
#include "Files.h"
#include "JoinResume.h"
#include "Manifest.h"
#include "Translation.h"

namespace modMender {

// The description of a failed piece check, naming the piece.
std::string DamagedPiece(const std::string& name);
inline constexpr const char* kRebuiltDiffers = N_("連結後のﾌｧｲﾙが元のﾌｧｲﾙと一致しません");

class JoinVerifier {
public:
    // `manifestName`: the manifest's file name, named after the join-info
    // file; `sourceName`: the name of a whole-file line; `baseName`: the stem
    // of the pieces' names.
    JoinVerifier(std::string manifestName, std::string sourceName, std::string baseName, bool removable);

    // Reads the manifest in the folder that holds the pieces: once on a fixed
    // drive, on a removable one for every disk (each has its own, wherever the
    // disk is mounted). No manifest, or one whose path is too long, is no
    // failure; one that is there but cannot be read is. A manifest without a
    // line for this set counts as none; `unusable` then names it.
    IoStatus Refresh(const std::string& pieceFolder, std::string& unusable);
    // Whether the manifest last read lists every one of these names.
    bool ListsAll(const std::vector<std::string>& names) const;
    // The manifest last read, when there is one.
    const Manifest* Current() const { return manifest_ ? &*manifest_ : nullptr; }
    // Whether no line of the manifest last read differs from the pieces
    // joined (named by `pieceName`, numbered from 1).
    bool AgreesWith(const std::vector<JoinedPiece>& joined,
                    const std::function<std::string(int32_t)>& pieceName) const;

    // The part a resumed join keeps, read back from the rebuilt file piece by
    // piece and compared with the hashes recorded when they were joined. Its
    // bytes count towards the whole-file check. `yield` runs once per chunk
    // read; Failure names the rebuilt file.
    IoStatus CheckKeptPart(const std::string& rebuiltPath, const std::vector<JoinedPiece>& kept,
                           const std::function<void()>& yield);

    // Before piece `name` is copied (after Refresh): the hasher its blocks go
    // through, when the set has a manifest or `record` asks for the piece's
    // hash; nothing otherwise (the piece is then not checked).
    CopyHasher* BeforePiece(const std::string& name, bool record);
    // After the whole piece went through the hasher from BeforePiece: Failure
    // (naming the piece) when its hash, or that of a piece before it still
    // unchecked, differs from its line. With `settle` it waits for the hashing
    // to catch up; without, the piece may be checked after a later one, so
    // that the copy need not wait for its hash. Each piece checked gets its
    // verdict, in the order of the pieces (also those before a failure).
    IoStatus AfterPiece(const std::string& piecePath, bool settle);
    // Waits for the hashes of the pieces not yet checked and checks them.
    IoStatus Settle();
    struct Verdict {
        std::string hash;  // empty when the piece was not hashed
        bool matched = false;  // it matched a line of its own
    };
    // The verdicts given since the last call, oldest first.
    std::vector<Verdict> TakeVerdicts() { return std::exchange(verdicts_, {}); }
    // Whether a piece may be deleted by its verdict: it matched its line, or
    // no manifest of the set has been seen to check it by.
    bool VouchesFor(const Verdict& verdict) const { return !manifestSeen_ || verdict.matched; }
    // A piece's place in the rebuilt file holds none of its bytes yet (a hole
    // the recovery data fills): the hashes of the whole file cannot speak for it.
    void PieceLeftOut() { unhashed_ = true; }

    // After the last piece, when some piece had no line of its own: Failure
    // (naming the rebuilt file) when an older manifest's whole-file line
    // differs from what was joined. Without such a line, or when some bytes
    // of the rebuilt file were never hashed, the check passes.
    IoStatus CheckWhole(const std::string& rebuiltPath);
    // Whether CheckWhole compared a whole-file line and it matched.
    bool WholeVouchedFor() const { return wholeMatched_; }

private:
    void StartHashing();
    // Compares the digests ready (all of them with `wait`) with their lines.
    IoStatus Check(bool wait);

    const std::string manifestName_;
    const std::string sourceName_;
    const std::string baseName_;
    const bool removable_;
    bool read_ = false;
    bool manifestSeen_ = false;  // some disk of the set had a usable manifest
    std::optional<Manifest> manifest_;
    std::unique_ptr<CopyHasher> hasher_;
    std::optional<std::string> expected_;  // the line of the piece being copied
    struct Unchecked {
        std::string path;
        std::optional<std::string> line;
    };
    std::deque<Unchecked> unchecked_;  // pieces hashed and not yet compared, in order
    std::optional<std::string> wholeLine_;
    std::vector<Verdict> verdicts_;
    bool unlined_ = false;   // some piece had no line to check it by
    bool unhashed_ = false;  // some bytes of the rebuilt file went past no hasher
    bool hashingPiece_ = false;  // the piece being joined goes through the hasher
    bool wholeMatched_ = false;
};

}  // namespace modMender
