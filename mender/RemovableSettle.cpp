#include "JoinSteps.h"
#include "Paths.h"

namespace modMender {

IoStatus SettleOnRemovableDrives(Drives& drives, DiskFolder& source, const std::string& rebuiltPath)
{
    // A source disk holds nothing of the join but its deletions.
    IgnoreResult(source.Flush());
    if (!drives.IsRemovable(rebuiltPath)) return IoStatus::Success();
    if (IoStatus s = SyncPath(rebuiltPath); !s) return s;
    return SyncPath(rebuiltPath.substr(0, rebuiltPath.rfind(kPathSeparator) + 1));
}

}  // namespace modMender
