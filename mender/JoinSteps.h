#pragma once
// The steps JoinFiles is made of, one file each: the checks on the rebuilt
// file's name, the disk prompts and the copy of one piece.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "CopyHasher.h"
#include "Files.h"
#include "JoinDisks.h"
#include "JoinerWindow.h"
#include "SplitSet.h"
#include "UiServices.h"

namespace modMender {

// Bytes moved per step of the copy; progress is counted in these blocks.
inline constexpr size_t kBlockSize = 4096;

inline constexpr const char* kRebuiltIsOwnFile = N_("連結後ﾌｧｲﾙが分割ﾌｧｲﾙに上書きすることになります");

// Line 2 of a join-info file is used as a file name inside the destination
// folder; it must not lead anywhere else (no separator, not "." or "..") and
// holds no control character.
bool IsPlainFileName(const std::string& name);

// Fails (ENAMETOOLONG, naming folder + name) when the name is longer than the
// file system of the folder takes; otherwise the missing file would be taken
// for a missing piece.
IoStatus NameFitsFolder(const std::string& folder, const std::string& name);

// Whether a file the join writes (the rebuilt file, its state file) would be
// one of the files the run reads or deletes: the join-info file, the set's
// batch file, its manifest or one of its pieces. Compared by file identity,
// and by folder and name for files not there (yet).
bool RebuiltFileIsOwnFile(const std::string& rebuiltPath, const std::string& joinInfoPath,
                          const SplitSetNames& set, int32_t count);

// Whether an open file is the one open in `rebuilt` (the same device and
// inode, whatever path led to it).
bool IsRebuiltFile(const BinaryReader& piece, const BinaryWriter& rebuilt);

enum class PieceWait { Present, Cancelled, NotRegular, Failed, Lost };

// Whether the disk whose pieces' folder is given is a disk of the set being
// joined (its manifest agrees with the pieces joined so far); a failure ends
// the run.
using DiskOfSet = std::function<IoStatus(const std::string& folder, bool& ofSet)>;

// Waits until piece `index` is there: on a removable drive the user is asked to
// insert its disk first (from piece 2 on), once the disk in the drive can be
// taken out; while the piece is missing the wrong-disk prompt repeats (on a
// fixed drive the window is told which path is missing first). A disk that
// `ofSet` says is another set's is a wrong disk too, and nothing on it is
// read or deleted. Something other than a regular file at the piece's path is
// not waited for. The folder of `set` becomes the folder the piece is in on
// the disk found. On Failed, `failure` says why. When `canGoOnWithout` (asked
// only once the piece is missing) says the set's recovery data can rebuild
// it, the wrong-disk question also offers going on without it: いいえ gives Lost.
PieceWait WaitForPiece(JoinerWindow& window, UiServices& ui, JoinDisks& disks, int32_t index,
                       SplitSetNames& set, const DiskOfSet& ofSet, IoStatus& failure,
                       const std::function<bool()>& canGoOnWithout = {});

// In every set Carver makes, the pieces between the first and the last have
// one size, no smaller than the first, and the last is no longer than one of
// them plus what the first fell short of it; no piece is empty unless it is
// the only one. The number of the first piece (from 1) of these lengths that breaks
// that, or nothing.
std::optional<int32_t> OddSizedPiece(const std::vector<int64_t>& lengths);

enum class PieceEnd { Copied, Cancelled, Failed };

// Appends one piece to the rebuilt file block by block, with progress, status
// text, a yield and the cancel test per block. With a hasher the blocks are
// read into the hasher's place and hashed once written; without one the bytes
// go in runs (BlockRuns). On Failed, `failure` says why.
PieceEnd CopyPiece(JoinerWindow& window, UiServices& ui, BinaryWriter& rebuilt, const std::string& piecePath,
                   int32_t index, int32_t count, CopyHasher* hasher, IoStatus& failure);

}  // namespace modMender
