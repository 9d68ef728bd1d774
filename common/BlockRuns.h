#pragma once
// The copy of a piece without a hash: the bytes go in runs of many blocks,
// copied by the kernel where the files allow it, while the copy loop still
// counts them off block by block (each block's progress, status and Cancel
// as before). The bytes of the blocks not yet counted are "ahead".
#include <cstdint>

#include "Files.h"

class BlockRuns {
public:
    // Before the next block of `size` bytes is counted: it is in the
    // destination once this succeeds. `left` is what the piece has from this
    // block on. A run that fails adds nothing to the destination.
    IoStatus Next(BinaryReader& source, BinaryWriter& destination, int64_t size, int64_t left);
    // At a Cancel: cuts off what was copied past the blocks counted, so the
    // destination ends with the block in progress, as a copy block by block
    // would leave it.
    IoStatus CutAhead(BinaryWriter& destination);

private:
    int64_t ahead_ = 0;
};
