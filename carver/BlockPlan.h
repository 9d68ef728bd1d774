#pragma once
// How a source is cut: the piece count fixed from the split size before
// anything is written, and the size of every piece, fixed once the free space
// of the first disk is known.
//
// The designed sizes: piece 001 is the smaller of the split size and that
// free space in whole 4096-byte blocks, every further full piece is the split
// size rounded up to whole blocks, and the final piece takes the rest. With
// many pieces those whole blocks can use up the source before the last piece
// (or, with no final piece, leave bytes over). Then the plan keeps piece 001
// and gives every further piece exactly the split size, the last one taking
// the rest, so the set still has the announced count, no empty piece and
// every byte of the source.
#include <cstdint>
#include <string>

namespace modCarver {

inline constexpr int64_t kBlockSize = 4096;

struct PieceCounts {
    int64_t sourceLength = 0;    // L; 0 when the length cannot be taken
    int64_t splitSize = 0;       // S in whole bytes; 0 when below one byte
    int64_t standardBlocks = 0;  // S / 4096 rounded up
    int64_t fullPieces = 0;      // L / S, remainder dropped
    int64_t remainder = 0;       // L mod S
    int64_t pieceCount = 0;      // full pieces, plus one when a remainder is left
};

// The counts for a source length (negative: not known) and a split size in bytes.
PieceCounts ComputePieceCounts(int64_t sourceLength, double splitSize);

// The piece range the window shows: "*.001～*.012" for two or more pieces,
// otherwise "*.001" or "*.000".
std::string PieceRangeText(int64_t pieceCount);

class PiecePlan {
public:
    PiecePlan(const PieceCounts& counts, double firstDiskFree);

    // Bytes of piece k, 1 to the piece count.
    int64_t PieceBytes(int64_t k) const;
    // Blocks the whole copy takes (a short block ends a piece that is not a
    // whole number of blocks).
    int64_t BlockCount() const;
    // Whether the designed sizes hold.
    bool KeepsDesignedSizes() const { return designed_; }

private:
    bool DesignedSizesHold() const;
    PieceCounts counts_;
    int64_t firstBytes_ = 0;
    int64_t laterBytes_ = 0;
    bool designed_ = true;
};

}  // namespace modCarver
