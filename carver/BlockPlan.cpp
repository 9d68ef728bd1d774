#include "BlockPlan.h"

#include <algorithm>
#include <cmath>

#include "NumberFormat.h"
#include "Translation.h"

namespace modCarver {

namespace {

int64_t BlocksFor(int64_t bytes) { return (bytes + kBlockSize - 1) / kBlockSize; }

int64_t WholeBytes(double value)
{
    if (!(value >= 0.5)) return 0;  // also NaN
    if (value >= 9.0e18) return INT64_MAX / 2;
    return std::llround(value);
}

}  // namespace

PieceCounts ComputePieceCounts(int64_t sourceLength, double splitSize)
{
    PieceCounts c;
    c.sourceLength = std::max<int64_t>(sourceLength, 0);
    c.splitSize = WholeBytes(splitSize);
    if (c.splitSize == 0) return c;
    c.standardBlocks = BlocksFor(c.splitSize);
    c.fullPieces = c.sourceLength / c.splitSize;
    c.remainder = c.sourceLength % c.splitSize;
    c.pieceCount = c.fullPieces + (c.remainder > 0 ? 1 : 0);
    return c;
}

std::string PieceRangeText(int64_t pieceCount)
{
    const double shown = static_cast<double>(std::max<int64_t>(pieceCount, 0));
    if (shown >= 2) return TrFormat(N_("*.001～*.{1}"), {FormatNumber(shown, "000")});
    return "*." + FormatNumber(shown, "000");
}

PiecePlan::PiecePlan(const PieceCounts& counts, double firstDiskFree) : counts_(counts)
{
    const int64_t room = std::min(counts.splitSize, WholeBytes(firstDiskFree));
    firstBytes_ = room / kBlockSize * kBlockSize;
    laterBytes_ = counts.standardBlocks * kBlockSize;
    designed_ = DesignedSizesHold();
    if (!designed_) {
        // Less than one block of room (or a split size below one block): the
        // first piece takes what there is room for, and the split size when
        // the disk reported no room at all.
        if (firstBytes_ == 0) firstBytes_ = room > 0 ? room : counts.splitSize;
        laterBytes_ = counts.splitSize;
    }
}

bool PiecePlan::DesignedSizesHold() const
{
    const auto& c = counts_;
    if (c.fullPieces == 0) return true;
    if (firstBytes_ == 0) return false;
    const __int128 full = static_cast<__int128>(firstBytes_) + static_cast<__int128>(c.fullPieces - 1) * laterBytes_;
    return c.remainder > 0 ? full < c.sourceLength : full == c.sourceLength;
}

int64_t PiecePlan::PieceBytes(int64_t k) const
{
    const int64_t n = counts_.pieceCount;
    if (k < n) return k == 1 ? firstBytes_ : laterBytes_;
    // The last piece: everything the others leave.
    return n == 1 ? counts_.sourceLength : counts_.sourceLength - firstBytes_ - (n - 2) * laterBytes_;
}

int64_t PiecePlan::BlockCount() const
{
    const int64_t n = counts_.pieceCount;
    if (n == 0) return 0;
    if (n == 1) return BlocksFor(counts_.sourceLength);
    return BlocksFor(firstBytes_) + (n - 2) * BlocksFor(laterBytes_) + BlocksFor(PieceBytes(n));
}

}  // namespace modCarver
