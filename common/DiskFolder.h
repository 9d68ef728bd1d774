#pragma once
// A folder on the disk in a drive, followed from disk to disk. On a fixed
// drive it is simply the folder. On a removable drive it is held as the mount
// point of its volume and the path inside that volume, because the desktop
// mounts every volume at a path of its own (/media/USER/LABEL): after a
// question for the next disk, the disk in the drive is the volume mounted at
// the same mount point, or else the one volume newly mounted beside it, in the
// same parent folder, with the same path inside it.
#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "Drives.h"
#include "Files.h"
#include "UiServices.h"

class DiskFolder {
public:
    // The folder ends with a separator.
    DiskFolder(Drives& drives, UiServices& ui, const std::string& folder, bool removable);

    bool Removable() const { return removable_; }
    // Looks at the mounts now and returns the folder on the disk in the drive,
    // ending with a separator; the empty text when no disk is in (no volume
    // that can be the disk, or more than one).
    const std::string& Locate();
    // What the last Locate found.
    const std::string& Current() const { return current_; }
    // The drive's root for the free-space figures and the disk check: the mount
    // point of the disk found last, or on a fixed drive the mount that holds
    // the folder now; empty when there is none.
    std::string Root();

    // A file the run wrote on the present disk, in the folder found there.
    void Written(const std::string& path);
    // Whether the file at path is one this run wrote (by file identity: the
    // same path on another disk is another file).
    bool WrittenByThisRun(const std::string& path) const;
    // Makes everything written on the present disk reach the device: each file
    // written since the last Flush, then the folder. Fails only when something
    // written cannot be synced. Nothing to do on a fixed drive.
    IoStatus Flush();
    // Before the question for the next disk: Flush, tell the user the disk can
    // be taken out, and from now on count only volumes mounted after this as
    // the next disk.
    IoStatus NextDisk();

private:
    void RememberMounted();

    Drives& drives_;
    UiServices& ui_;
    const std::string folder_;
    const bool removable_;
    std::string current_;
    VolumePlace place_;            // where the folder is (or would be)
    std::string startMountPoint_;  // where it was given: there the folder keeps its own text
    MountedVolume volume_;         // the volume found by the last Locate
    std::pair<int, std::string> lastFound_;  // the last volume found, by number and mount point
    // Mounts that cannot be the next disk, by number and mount point (the
    // kernel gives the number of an unmounted volume to the next mount).
    std::set<std::pair<int, std::string>> known_;
    std::vector<std::string> written_;
    std::set<std::pair<uint64_t, uint64_t>> ownFiles_;  // device and inode of every file written
    bool announce_ = false;  // the next disk found is reported to the user
};
