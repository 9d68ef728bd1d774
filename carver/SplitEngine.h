#pragma once
// The whole split: confirm the piece count, write the join-info file, the
// batch file when asked for and the pieces, disk by disk on a removable drive,
// with progress, cancel and one failure message. The engine reaches its window
// only through SplitterWindow and the user only through UiServices.
#include <string>

#include "SplitterWindow.h"
#include "UiServices.h"

namespace modCarver {

// Set by the window's Cancel while a split runs; cleared by SplitFile before
// its first block and tested after every block written.
extern bool CancelRequested;

// First line of the failure message; the error's description follows it.
inline constexpr const char* kSplitFailed = N_("ﾌｧｲﾙ分割失敗 原因を調査後再度実行して下さい");
inline constexpr const char* kDiskCheckStatus = N_("ﾃﾞｨｽｸ確認中...");
inline constexpr const char* kDiskRemoved = N_("ﾃﾞｨｽｸが抜かれました　ｾｯﾄして下さい");

// The question for disk k of a removable destination.
std::string DiskQuestion(int64_t k);
// The confirmation of the piece count.
std::string PieceCountQuestion(int64_t pieceCount);

// Splits sourcePath into destinationFolder (ending with a separator) in pieces
// of splitSize bytes. False only after the failure message; true when the
// split completed, was declined, cancelled or given up at a disk question.
bool SplitFile(SplitterWindow& window, UiServices& ui, const std::string& sourcePath,
               const std::string& destinationFolder, double splitSize);

}  // namespace modCarver
