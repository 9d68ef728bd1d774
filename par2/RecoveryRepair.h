#pragma once
// Rebuilding lost or damaged input slices from a recovery set: the slices
// still good and as many recovery slices as are lost, combined with the
// inverse of the code's matrix for the lost ones (Gaussian elimination over
// GF(2^16)). The rebuilt bytes are checked against the slices' MD5 before
// they count as rebuilt.
#include <cstdint>
#include <string>
#include <vector>

#include "Packets.h"
#include "SliceCombiner.h"

namespace par2 {

// One file of the recovery set as the caller has it: where its bytes are now
// (`present`: the whole file is there, though maybe damaged) and where the
// rebuilt bytes go (`target`: may be the same place). Only the slices that
// are wanted and bad are rebuilt.
struct RepairFile {
    std::string name;
    bool present = false;
    SliceSource bytes;   // offset and path of the file's bytes; length = the set's length of the file
    SliceSource target;  // where the file's bytes are to be
    // The caller vouches for the present bytes (another hash matched them):
    // its slices count as good without being read.
    bool vouched = false;
};

struct RepairPlan {
    // Per file of the recovery set, in the Main packet's order, matched by name.
    std::vector<const FileDescription*> files;
    std::vector<int> inputIndex;  // per file, its index in the caller's list, -1 when the caller has none
    std::vector<std::vector<bool>> goodSlices;  // per file
    uint64_t badSlices = 0;
    uint64_t recoverySlices = 0;  // usable ones in the set
    bool Enough() const { return badSlices <= recoverySlices; }
};

// Checks every present file's slices against the set's MD5s and plans the
// repair. Files of the set that the caller does not list count as lost.
IoStatus PlanRepair(const RecoverySet& set, const std::vector<RepairFile>& inputs, RepairPlan& plan,
                    const CombineProgress& progress = {});

// Rebuilds the bad slices of the plan into the inputs' targets; Enough() must hold.
// Fails when the rebuilt bytes do not match their MD5 (the set's recovery data
// is then wrong), before any rebuilt slice is counted as good.
IoStatus Repair(const RecoverySet& set, const std::vector<RepairFile>& inputs, const RepairPlan& plan,
                const CombineLimits& limits = {}, const CombineProgress& progress = {});

// The factors that express each of `missing` (input slice numbers) through
// the other inputs and the recovery slices of `exponents` (at least as many
// as missing): rows = missing slices, columns = the inputs not missing in
// ascending order, then the recovery slices used. `used` receives the
// exponents taken. False when no choice of those recovery slices solves it.
bool SolveMissing(uint32_t inputCount, const std::vector<uint32_t>& missing, const std::vector<uint32_t>& exponents,
                  std::vector<std::vector<uint16_t>>& factors, std::vector<uint32_t>& used);

}  // namespace par2
