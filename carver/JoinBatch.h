#pragma once
// The batch file that rebuilds the source from its pieces with the Windows
// command shell's binary copy.
#include <cstdint>
#include <string>

#include "Files.h"
#include "SplitterWindow.h"

namespace modCarver {

// Writes base name + ".bat" into the destination folder, replacing an older
// one. Fails only when the file cannot be created (or the name cannot be put
// into a batch file); lines that fail to be written go unnoticed. When the
// window's date box is ticked now, the file gets the source's times.
IoStatus WriteJoinBatch(SplitterWindow& window, const std::string& destinationFolder,
                        const std::string& sourcePath, int32_t pieceCount);

}  // namespace modCarver
