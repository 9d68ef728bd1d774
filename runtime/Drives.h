#pragma once
// The drive services the engines ask for. On Linux the "drive" of a path is
// the mount that holds it.
#include <cstdint>
#include <string>
#include <vector>

// Answer of the 64-bit free-space query; all 0 when the query failed.
struct DiskFreeSpaceEx {
    bool ok = false;
    uint64_t availableToCaller = 0;
    uint64_t totalBytes = 0;
    uint64_t totalFreeBytes = 0;
};

// Answer of the old cluster-count query.
struct DiskClusterCounts {
    bool ok = false;
    int32_t sectorsPerCluster = 0;
    int32_t bytesPerSector = 0;
    int32_t freeClusters = 0;
    int32_t totalClusters = 0;
};

// One entry of the mount table.
struct MountedVolume {
    int id = 0;              // a new mount gets a number of its own
    std::string mountPoint;  // canonical, no trailing separator ("/" for the root)
    std::string device;      // the mount's source, for example /dev/sdb1
    bool removable = false;  // its device is removable or hot-pluggable
};

// Where a path lies: the mount point of the volume that holds it and the path
// inside that volume (relative; empty for the volume's root).
struct VolumePlace {
    std::string mountPoint;
    std::string inner;
};

class Drives {
public:
    virtual ~Drives() = default;
    // The drive that holds the path is removable. A path that does not exist
    // is on a removable drive when its place is a volume not mounted (yet), or
    // when the nearest folder that exists is on a removable drive.
    virtual bool IsRemovable(const std::string& path) = 0;
    // The root of the drive that holds the path (the mount point on Linux);
    // the empty text when the path names no drive.
    virtual std::string DriveRootOf(const std::string& path) = 0;
    virtual DiskFreeSpaceEx QueryFreeSpaceEx(const std::string& path) = 0;
    virtual DiskClusterCounts QueryClusterCounts(const std::string& path) = 0;
    // Whether the drive's root can be listed, i.e. a readable disk is in it.
    virtual bool CanListRoot(const std::string& path) = 0;
    // Offers to format the drive that holds the path and returns when that is
    // over; false when formatting is not available here, and for a device the
    // system runs from (/, /boot, /usr, /var, /home, a swap area) or that
    // holds sparedPath (the file being split).
    virtual bool FormatDrive(const std::string& path, const std::string& sparedPath) = 0;
    // Every mount now, in the order of the mount table.
    virtual std::vector<MountedVolume> Mounts() = 0;
    // The place of a path. A path that does not exist lies where its nearest
    // existing folder lies, except right below a folder where the desktop
    // mounts removable volumes: the name there is the mount point of a volume
    // that is not mounted.
    virtual VolumePlace PlaceOf(const std::string& path) = 0;
    // The largest file that can be written at the path: the limit of the file
    // system that holds it (FAT holds files up to 4 GiB less one byte), or the
    // program's own file-size limit when that is lower; 0 when none is known.
    virtual uint64_t LargestFileSize(const std::string& path) = 0;
};

// The drives of this machine.
Drives& SystemDrives();
