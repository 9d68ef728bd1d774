#pragma once
// The steps JoinFiles is made of, one file each: the checks on the rebuilt
// file's name, the disk prompts, the copy of one piece and the deletion of
// what has been joined.
#include <cstdint>
#include <string>
#include <vector>

#include "DiskFolder.h"
#include "Drives.h"
#include "Files.h"
#include "JoinerWindow.h"
#include "SplitSet.h"
#include "UiServices.h"

namespace modMender {

// Bytes moved per step of the copy; progress is counted in these blocks.
inline constexpr size_t kBlockSize = 4096;

// Line 2 of a join-info file is used as a file name inside the destination
// folder; it must not lead anywhere else (no separator, not "." or "..").
bool IsPlainFileName(const std::string& name);

// Whether the rebuilt file would be one of the files the run reads or deletes:
// the join-info file, the set's batch file or one of its pieces. Compared by
// file identity, and by folder and name for files not there (yet).
bool RebuiltFileIsOwnFile(const std::string& rebuiltPath, const std::string& joinInfoPath,
                          const SplitSetNames& set, int32_t count);

// Waits until piece `index` is there and returns its path, the empty text when
// the user cancelled: on a removable drive the user is asked to insert its
// disk first (from piece 2 on); while the piece is missing the wrong-disk
// prompt repeats.
std::string WaitForPiece(UiServices& ui, DiskFolder& source, int32_t index, const std::string& pieceName);

// Before a join reports completion: a rebuilt file on a removable drive, and
// the deletions on a removable source disk, are on the device.
IoStatus SettleOnRemovableDrives(Drives& drives, DiskFolder& source, const std::string& rebuiltPath);

enum class PieceEnd { Copied, Cancelled, Failed };

// Appends one piece to the rebuilt file block by block, with progress, status
// text, a yield and the cancel test per block. `block` is the run's one buffer.
// On Failed, `failure` says why.
PieceEnd CopyPiece(JoinerWindow& window, UiServices& ui, BinaryWriter& rebuilt, const std::string& piecePath,
                   int32_t index, int32_t count, std::vector<char>& block, IoStatus& failure);

// Deletes the set's join-info file, its batch file and the piece just copied,
// each only when it is there; failed deletions are ignored. The rebuilt file
// is first flushed to stable storage: a failure there stops the run and
// nothing is deleted.
IoStatus DeleteJoinedFiles(BinaryWriter& rebuilt, const SplitSetNames& set, int32_t index);

}  // namespace modMender
