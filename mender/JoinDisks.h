#pragma once
// The disks of one join. The pieces' folder is followed from disk to disk as
// the drive's disks come and go; and before a disk may be taken out, or the
// join says it is over, what the join wrote is on the device: the rebuilt file
// and its folder when they lie on a removable drive, and what was deleted from
// the disk of the pieces.
#include <string>

#include "DiskFolder.h"
#include "Drives.h"
#include "Files.h"
#include "UiServices.h"

namespace modMender {

class JoinDisks {
public:
    // The rebuilt file is the run's own; it may not be open yet. An empty
    // path: it goes to no folder (standard output), nothing there to sync.
    JoinDisks(Drives& drives, UiServices& ui, const std::string& pieceFolder, bool removable,
              const std::string& rebuiltPath, BinaryWriter& rebuilt);

    bool Removable() const { return pieces_.Removable(); }
    // The pieces' folder on the disk in the drive now, ending with a
    // separator; the empty text when no volume can be told to be the disk.
    const std::string& Locate() { return pieces_.Locate(); }
    // Before the question for the next disk: the rebuilt file so far is on its
    // device, so are the deletions on this disk, and the user is told which
    // device can be unmounted. Fails when the rebuilt file cannot be synced.
    IoStatus ReleaseDisk();
    // Before a completed join is reported, with the rebuilt file closed.
    IoStatus Settle();

private:
    IoStatus SettleDestination();
    void SettleDeletions();

    DiskFolder pieces_;
    const std::string rebuiltPath_;
    const std::string destination_;
    const bool destinationRemovable_;
    BinaryWriter& rebuilt_;
};

}  // namespace modMender
