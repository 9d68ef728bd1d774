#include "JoinDisks.h"

#include "modMender.h"
#include "Paths.h"

namespace modMender {

JoinDisks::JoinDisks(Drives& drives, UiServices& ui, const std::string& pieceFolder, bool removable,
                     const std::string& rebuiltPath, BinaryWriter& rebuilt)
    : pieces_(drives, ui, pieceFolder, removable), rebuiltPath_(rebuiltPath),
      destination_(WithBackslash(FolderOf(rebuiltPath))),
      destinationRemovable_(!rebuiltPath.empty() && drives.IsRemovable(destination_)),
      rebuilt_(rebuilt)
{
}

IoStatus JoinDisks::ReleaseDisk()
{
    // The rebuilt file may sit on the very disk that goes out.
    if (destinationRemovable_ && rebuilt_.IsOpen()) {
        if (IoStatus s = rebuilt_.Sync(); !s) return s;
        if (IoStatus s = SettleDestination(); !s) return s;
    }
    SettleDeletions();
    return pieces_.NextDisk();
}

IoStatus JoinDisks::Settle()
{
    SettleDeletions();
    if (!destinationRemovable_) return IoStatus::Success();
    if (IoStatus s = SyncPath(rebuiltPath_); !s) return std::move(s).About(rebuiltPath_);
    return SettleDestination();
}

// The folder holds the rebuilt file's name, and the resume state's coming and going.
IoStatus JoinDisks::SettleDestination() { return SyncPath(destination_).About(destination_); }

// A deletion that does not reach the device leaves a piece whose bytes are
// joined already: nothing is lost, so a failure here is not one of the run's.
void JoinDisks::SettleDeletions()
{
    if (Removable() && !pieces_.Current().empty()) IgnoreResult(SyncPath(pieces_.Current()));
}

}  // namespace modMender
