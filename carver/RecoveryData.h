#pragma once
// PAR2 recovery data for a split set on a fixed drive: the index NAME.par2 and
// the volumes NAME.volA+B.par2 beside the pieces, so that lost or damaged
// pieces can be rebuilt (by Mender or by par2).
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Files.h"
#include "RecoveryWriter.h"
#include "SplitSet.h"

namespace modCarver {

// How much recovery data is asked for: a number of recovery slices, or a
// percentage of the piece count.
struct RecoveryRequest {
    int64_t slices = 0;
    double percent = 0;  // used when slices is 0
};

// "N" or "P%"; nothing for 0, a negative or non-numeric word, or more than
// the 32768 slices the code allows.
std::optional<RecoveryRequest> RecoveryRequestFromWord(const std::string& word);

// The recovery slices for a set of pieceCount pieces (a percentage rounded
// up), at most as many as the code can make.
uint32_t RecoverySlicesFor(const RecoveryRequest& request, int64_t pieceCount);

// The recovery files of the set's name in its folder that exist now, of any set.
std::vector<std::string> ExistingRecoveryFiles(const SplitSetNames& names);

// Writes the index and the volumes (1, 2, 4 … slices each) of the set's pieces
// 1..pieceCount, one slice per piece. The progress is told the share done
// (0 to 1); false from it cancels (a failure with an empty description).
IoStatus WriteRecoveryData(const SplitSetNames& names, int64_t pieceCount, uint32_t slices,
                           const std::function<bool(double)>& progress);
// The same once the pieces are described: the volumes, then the index.
IoStatus WriteDescribedRecoveryData(const SplitSetNames& names, const par2::RecoveryDescription& description,
                                    uint32_t slices, const std::function<bool(double)>& progress);
// The pieces 1..pieceCount as the recovery set's input files (one slice each:
// sliceSize is the largest, rounded up to 4 bytes).
IoStatus PieceInputs(const SplitSetNames& names, int64_t pieceCount, std::vector<par2::InputFile>& inputs,
                     uint64_t& sliceSize);

}  // namespace modCarver
