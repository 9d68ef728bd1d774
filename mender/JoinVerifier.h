#pragma once
// The checks a join makes against the set's NAME.sha256: each piece's hash,
// taken from the blocks as they are copied, against its line; the part of a
// resumed rebuilt file that is kept, against the lines of the pieces it holds;
// and, at the end, everything copied against the whole-file line. A set
// without a manifest (made on Windows, or with --no-checksum) is joined
// unchecked, and the blocks are then not hashed at all.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CopyHasher.h"
#include "Files.h"
#include "Manifest.h"
#include "Translation.h"

namespace modMender {

// The description of a failed piece check, naming the piece.
std::string DamagedPiece(const std::string& name);
inline constexpr const char* kRebuiltDiffers = N_("連結後のﾌｧｲﾙが元のﾌｧｲﾙと一致しません");

class JoinVerifier {
public:
    // `manifestName`: the manifest's file name, named after the join-info
    // file; `sourceName`: the name of the whole-file line.
    JoinVerifier(std::string manifestName, std::string sourceName, bool removable);

    // Reads the manifest in the folder that holds the pieces: once on a fixed
    // drive, on a removable one before every piece (each disk has its own,
    // wherever the disk is mounted). No manifest is no failure; one that is
    // there but cannot be read is.
    IoStatus Refresh(const std::string& pieceFolder);
    // Whether the manifest last read lists every one of these names.
    bool ListsAll(const std::vector<std::string>& names) const;

    // The part a resumed join keeps, `lengths` bytes for each of the pieces
    // named, read back from the rebuilt file and compared with their lines.
    // Its bytes count towards the whole-file check. `yield` runs once per
    // chunk read; Failure names the rebuilt file.
    IoStatus CheckKeptPart(const std::string& rebuiltPath, const std::vector<int64_t>& lengths,
                           const std::vector<std::string>& pieceNames, const std::function<void()>& yield);

    // Before piece `name` is copied (after Refresh): the hasher its blocks go
    // through, nothing when no manifest has been seen yet (the piece is then
    // not checked).
    CopyHasher* BeforePiece(const std::string& name);
    // After the whole piece went through the hasher from BeforePiece: Failure
    // (naming the piece) when its hash differs from its line.
    IoStatus AfterPiece(const std::string& piecePath);
    // Whether the piece just joined may be deleted: it matched its line, or
    // the set has no manifest to check it by.
    bool PieceVouchedFor() const { return !hasher_ || pieceMatched_; }

    // After the last piece: Failure (naming the rebuilt file) when the
    // whole-file line differs from what was joined. Without a line, or when
    // some bytes of the rebuilt file were never hashed, there is nothing to
    // compare and the check passes.
    IoStatus CheckWhole(const std::string& rebuiltPath);
    // Whether CheckWhole compared a whole-file line and it matched.
    bool WholeVouchedFor() const { return wholeMatched_; }

private:
    void StartHashing();

    const std::string manifestName_;
    const std::string sourceName_;
    const bool removable_;
    bool read_ = false;
    std::optional<Manifest> manifest_;
    std::unique_ptr<CopyHasher> hasher_;
    std::optional<std::string> expected_;  // the line of the piece being copied
    std::optional<std::string> wholeLine_;
    bool unhashed_ = false;  // some bytes of the rebuilt file went past no hasher
    bool pieceMatched_ = false;
    bool wholeMatched_ = false;
};

}  // namespace modMender
