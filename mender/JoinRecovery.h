#pragma once
// The set's PAR2 recovery data as a join uses it when the pieces cannot all be
// repaired before the join (disk by disk, a resumed delete-as-you-go join, a
// piece found damaged during the copy). The index NAME.par2, read when the
// join starts, gives every piece's length and slice checksums, so a piece
// that is missing, cut short or damaged is left as a hole of its length in the
// rebuilt file and the join goes on; once every other piece is in, the
// recovery slices and the rest of the rebuilt file fill the holes, each
// rebuilt slice checked against its MD5 before it counts.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Files.h"
#include "RecoveryRepair.h"
#include "SplitSet.h"

namespace modMender {

// The set's recovery files in a folder (ending with a separator) of the
// set whose pieces are named baseName.NNN, the index first.
std::vector<std::string> RecoveryFilesIn(const std::string& folder, const std::string& baseName);

// What the window's status panel says of a piece rebuilt, and of several.
inline constexpr const char* kPieceRebuilt = N_("「{1}」を修復しました");
inline constexpr const char* kPiecesRebuilt = N_("分割ﾌｧｲﾙ {1} 個を修復しました");

// The failure of a repair that lacks recovery data: the pieces lost, in
// order, and how many recovery slices more it needs.
IoStatus LackingRecoveryData(std::vector<std::string> lost, uint64_t lacking);
// The failure of a join whose lost pieces only the set's index could rebuild, and it is not there.
IoStatus NoRecoveryData(std::vector<std::string> lost, const std::string& indexName);

class JoinRecovery {
public:
    // The recovery set in `folder` for pieces 1..count of `names`, as its
    // index describes it (or, where the index is damaged, the volumes beside
    // it); its recovery slices are taken later, with TakeVolumes. Nothing
    // when no index there describes exactly these pieces (recovery data of an
    // older set cannot speak for them).
    static std::optional<JoinRecovery> Find(const std::string& folder, const SplitSetNames& names, int32_t count);

    int64_t PieceLength(int32_t k) const;
    // The slices piece k spans: what its loss costs in recovery slices.
    uint64_t SlicesOf(int32_t k) const;
    uint64_t RecoverySlices() const { return set_.recovery.size(); }

    // Takes the recovery slices of the set's volumes in `folder` not held yet.
    // With a `spoolPath` (the volumes are on a disk that leaves the drive) the
    // slices are copied to that file, which the fill then reads. `added`
    // counts the new ones.
    IoStatus TakeVolumes(const std::string& folder, const std::string& spoolPath, uint64_t& added);

    // Before the fill: piece k lies in the rebuilt file after pieces 1..k-1;
    // `holes` says which hold none of their bytes, `vouched` which matched a
    // hash of their own (the others are checked by their slices' MD5 here, and
    // a damaged one counts as lost too). Nothing is written.
    IoStatus Check(const std::string& rebuiltPath, const std::vector<int64_t>& lengths, const std::vector<bool>& holes,
                   const std::vector<bool>& vouched, const par2::CombineProgress& progress);
    // Recovery slices still lacking for the pieces Check found lost (0: enough).
    uint64_t Lacking() const;
    // The failure naming the pieces lost and the slices lacking.
    IoStatus LackingFailure() const;
    // Rebuilds the lost pieces' bytes in place; `rebuilt` names them. Fails,
    // changing nothing that counts, when a rebuilt slice does not match its MD5.
    IoStatus Fill(std::vector<std::string>& rebuilt, const par2::CombineProgress& progress);

private:
    par2::RecoverySet set_;
    std::string baseName_;
    std::vector<std::string> pieceNames_;  // piece k at k-1
    std::vector<par2::RepairFile> inputs_;
    par2::RepairPlan plan_;
};

}  // namespace modMender
