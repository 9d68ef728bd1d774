#pragma once
// A split into the source's own folder can name the source itself: x.001
// split there writes piece 001 over the file it is reading, x.000, x.bat and
// x.sha256 likewise. Every path the run will write is compared with the
// source by file identity (device and inode, so links count too) before
// anything is written.
#include <cstdint>
#include <string>

#include "Files.h"
#include "SplitSet.h"

namespace modCarver {

IoStatus CheckSourceIsSpared(const std::string& sourcePath, const SplitSetNames& names, int64_t pieceCount,
                             bool withBatch);

// Whether the file at `path` is the source itself (by file identity).
bool IsSourceFile(const std::string& sourcePath, const std::string& path);

}  // namespace modCarver
