#pragma once
// The copy of a piece in runs of many blocks, while the copy loop still
// counts them off block by block (each block's progress, status and Cancel
// as before). Without a hash the kernel copies the runs from file to file
// where the files allow it; with one, each run is read straight into the
// hasher's chunk and written from there, so no byte is copied twice in the
// program. The bytes of the blocks not yet counted are "ahead".
#include <cstddef>
#include <cstdint>

#include "CopyHasher.h"
#include "Files.h"

class BlockRuns {
public:
    // The longest run a hasher is given at once: the hasher of a copy in runs
    // is made for blocks of this size.
    static constexpr size_t kHashedRunBytes = 128 * 1024;

    explicit BlockRuns(CopyHasher* hasher = nullptr) : hasher_(hasher) {}

    // Before the next block of `size` bytes is counted: it is in the
    // destination (and given to the hasher) once this succeeds. `left` is
    // what the piece has from this block on. A run that fails adds nothing
    // to the destination.
    IoStatus Next(BinaryReader& source, BinaryWriter& destination, int64_t size, int64_t left);
    // At a Cancel: cuts off what was copied past the blocks counted, so the
    // destination ends with the block in progress, as a copy block by block
    // would leave it.
    IoStatus CutAhead(BinaryWriter& destination);

private:
    IoStatus CopyRun(BinaryReader& source, BinaryWriter& destination, int64_t run);

    CopyHasher* const hasher_;
    int64_t ahead_ = 0;
};
