#pragma once
// The PAR2 recovery data a split writes when asked for. On a fixed drive the
// index and the volumes go beside the pieces once they are all written. On a
// removable drive disk 1 leaves the drive before the last piece is written,
// so the pieces are described from the source before the first one; every
// disk that gets a piece gets the index too, and after the last piece come
// the volumes, one recovery slice each, disk after disk.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "CopyHasher.h"
#include "DiskFolder.h"
#include "RecoveryWriter.h"
#include "SplitSet.h"
#include "SplitterWindow.h"
#include "UiServices.h"

namespace modCarver {

class SplitRecovery {
public:
    SplitRecovery(SplitterWindow& window, UiServices& ui, DiskFolder& disk, std::string source, uint32_t slices)
        : window_(window), ui_(ui), disk_(disk), source_(std::move(source)), slices_(slices)
    {
    }

    // What a disk keeps free beside its piece for the index of a set of
    // pieceCount pieces: its blocks.
    static int64_t IndexRoom(const SplitSetNames& names, int64_t pieceCount);

    // Removable: reads the source's ranges that become the pieces (their
    // sizes in order) for their hashes. A failure with an empty description:
    // cancelled.
    IoStatus DescribePieces(const SplitSetNames& names, const std::vector<int64_t>& pieceBytes);
    // Fixed, with a copy that hashes its pieces: the pieces' hashes are taken
    // from the copy through Observer once their sizes are known here, so
    // that they need not be read again before the volumes.
    PieceBytesObserver Observer();
    void ExpectPieces(const std::vector<int64_t>& pieceBytes);
    // Removable: the index on the disk of `names`.
    IoStatus WriteIndex(const SplitSetNames& names);

    enum class Outcome { Written, Stopped, Failed };
    // Fixed: the pieces 1..pieceCount are read back for the index and the volumes.
    Outcome WriteBesidePieces(const SplitSetNames& names, int64_t pieceCount, IoStatus& failure);
    // Removable: the volumes, from the disk of the last piece (number
    // lastPieceDisk, in the drive now) on; Stopped at a disk question
    // answered Cancel, at a refused overwrite, or by a cancel.
    Outcome WriteVolumesOnDisks(int64_t lastPieceDisk, IoStatus& failure);

private:
    bool Progress(double share);
    Outcome Ended(IoStatus status, IoStatus& failure);
    Outcome ClaimRecoveryDisk(const SplitSetNames& names, IoStatus& failure);

    SplitterWindow& window_;
    UiServices& ui_;
    DiskFolder& disk_;
    const std::string source_;
    const uint32_t slices_;
    par2::RecoveryDescription description_;
    std::optional<par2::StreamedDescriptions> streamed_;
};

}  // namespace modCarver
