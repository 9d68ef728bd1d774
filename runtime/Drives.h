#pragma once
// The drive services the engines ask for. On Linux the "drive" of a path is
// the mount that holds it.
#include <cstdint>
#include <string>

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

class Drives {
public:
    virtual ~Drives() = default;
    // The drive that holds the path is removable; a path that does not exist is not.
    virtual bool IsRemovable(const std::string& path) = 0;
    // The root of the drive that holds the path (the mount point on Linux);
    // the empty text when the path names no drive.
    virtual std::string DriveRootOf(const std::string& path) = 0;
    virtual DiskFreeSpaceEx QueryFreeSpaceEx(const std::string& path) = 0;
    virtual DiskClusterCounts QueryClusterCounts(const std::string& path) = 0;
    // Whether the drive's root can be listed, i.e. a readable disk is in it.
    virtual bool CanListRoot(const std::string& path) = 0;
    // Offers to format the drive that holds the path and returns when that is
    // over; false when formatting is not available here.
    virtual bool FormatDrive(const std::string& path) = 0;
};

// The drives of this machine.
Drives& SystemDrives();
