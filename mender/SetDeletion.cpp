#include "JoinSteps.h"

namespace modMender {

IoStatus DeleteJoinedFiles(BinaryWriter& rebuilt, const SplitSetNames& set, int32_t index)
{
    // The piece's bytes must be on stable storage before the piece goes; until
    // then they may live only in a buffer or the page cache.
    if (IoStatus s = rebuilt.Sync(); !s) return s;

    // Carver names the batch file with ".bat"; a set made on a system that
    // ignores case may carry ".BAT". Read-only files stay, without a word.
    const std::string doomed[] = {set.JoinInfoPath(), set.BatchPath(), set.folder + set.baseName + ".BAT",
                                  set.PiecePath(index)};
    for (const std::string& path : doomed)
        if (FileExists(path)) IgnoreResult(DeleteFile(path));
    return IoStatus::Success();
}

}  // namespace modMender
