#pragma once
// Before a join on a fixed drive: pieces that are missing, cut short or grown
// (or damaged, where the set has no manifest to find that during the join)
// are rebuilt in the set's folder from the PAR2 recovery files beside it
// (NAME.par2 and NAME.volA+B.par2, ours or par2's), so that the join that
// follows finds a whole set.
#include <functional>
#include <string>
#include <vector>

#include "Files.h"

namespace modMender {

// Whole: the recovery data read every piece it did not take as good and
// found nothing to rebuild.
enum class SetRepairResult { NothingToDo, Whole, Rebuilt, Failed, Cancelled };

// The recovery files of the set that joinInfoPath describes, index first.
std::vector<std::string> RecoveryFilesOfSet(const std::string& joinInfoPath);

// `rebuilt` receives the names of the pieces rebuilt; on Failed, `failure`
// says why (with too little recovery data: the pieces lost and how many
// recovery slices are lacking; nothing is changed then). A rebuilt piece
// replaces the one there only once its bytes matched the recovery set's MD5.
// The progress is told the share done (0 to 1); false cancels. When the set
// has its manifest, which checks every piece during the join, the pieces of
// the right length are taken as good unread (the rebuilt bytes still have to
// match their MD5s, and are made again from pieces all read when they do not).
SetRepairResult RepairSetBeforeJoin(const std::string& joinInfoPath, std::vector<std::string>& rebuilt,
                                    IoStatus& failure, const std::function<bool(double)>& progress);

}  // namespace modMender
