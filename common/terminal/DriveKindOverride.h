#pragma once
// The system's drives, except that the command line may say whether the drive
// in question is removable (--removable / --fixed).
#include <optional>

#include "Drives.h"

class DriveKindOverride : public Drives {
public:
    DriveKindOverride(Drives& system, std::optional<bool> removable) : system_(system), removable_(removable) {}

    bool IsRemovable(const std::string& path) override
    {
        return removable_ ? *removable_ : system_.IsRemovable(path);
    }
    std::string DriveRootOf(const std::string& path) override { return system_.DriveRootOf(path); }
    DiskFreeSpaceEx QueryFreeSpaceEx(const std::string& path) override { return system_.QueryFreeSpaceEx(path); }
    DiskClusterCounts QueryClusterCounts(const std::string& path) override { return system_.QueryClusterCounts(path); }
    bool CanListRoot(const std::string& path) override { return system_.CanListRoot(path); }
    bool FormatDrive(const std::string& path, const std::string& sparedPath) override
    {
        return system_.FormatDrive(path, sparedPath);
    }
    std::vector<MountedVolume> Mounts() override { return system_.Mounts(); }
    VolumePlace PlaceOf(const std::string& path) override { return system_.PlaceOf(path); }
    uint64_t LargestFileSize(const std::string& path) override { return system_.LargestFileSize(path); }

private:
    Drives& system_;
    std::optional<bool> removable_;
};
