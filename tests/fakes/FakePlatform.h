#pragma once
// Fakes of the platform interfaces: drives, system information, file times, shell.
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "Drives.h"
#include "FileTimes.h"
#include "Shell.h"
#include "SystemInfo.h"

// A drive whose answers the test sets. By default every path is on one fixed
// drive with plenty of room, readable.
class FakeDrives : public Drives {
public:
    bool removable = false;
    std::string root = "/";
    DiskFreeSpaceEx freeSpace{true, 1ULL << 40, 1ULL << 41, 1ULL << 40};
    DiskClusterCounts clusters{};
    bool canListRoot = true;
    bool formatAvailable = true;
    // Called at each free-space query; may change freeSpace (a user swapping disks).
    std::function<void(const std::string&)> onQueryFreeSpace;
    std::function<bool(const std::string&)> canList;  // overrides canListRoot when set
    std::vector<std::string> formatted;               // paths given to FormatDrive
    std::vector<std::string> spared;                  // and the paths it was told to spare
    std::vector<std::string> freeSpaceQueries;        // paths given to the free-space queries
    // The mount table; the drive's root stays mounted whatever `root` says.
    std::vector<MountedVolume> mounts{{1, "/", "", false}};
    uint64_t largestFile = 0;  // no limit known

    bool IsRemovable(const std::string&) override { return removable; }
    std::string DriveRootOf(const std::string&) override { return root; }
    DiskFreeSpaceEx QueryFreeSpaceEx(const std::string& path) override
    {
        freeSpaceQueries.push_back(path);
        if (onQueryFreeSpace) onQueryFreeSpace(path);
        return freeSpace;
    }
    DiskClusterCounts QueryClusterCounts(const std::string& path) override
    {
        freeSpaceQueries.push_back(path);
        if (onQueryFreeSpace) onQueryFreeSpace(path);
        return clusters;
    }
    bool CanListRoot(const std::string& path) override { return canList ? canList(path) : canListRoot; }
    bool FormatDrive(const std::string& path, const std::string& sparedPath) override
    {
        formatted.push_back(path);
        spared.push_back(sparedPath);
        return formatAvailable;
    }
    std::vector<MountedVolume> Mounts() override { return mounts; }
    uint64_t LargestFileSize(const std::string&) override { return largestFile; }
    VolumePlace PlaceOf(const std::string& path) override
    {
        const std::string inner = path.rfind(root, 0) == 0 ? path.substr(root.size()) : path;
        return {root, inner.empty() || inner[0] != '/' ? inner : inner.substr(1)};
    }
};

class FakeSystemInfo : public SystemInfo {
public:
    bool platformNT = true;
    std::map<std::string, std::string> registry;
    int registryReads = 0;
    bool IsPlatformNT() override { return platformNT; }
    std::string VersionRegistryValue(const std::string& name) override
    {
        ++registryReads;
        const auto it = registry.find(name);
        return it == registry.end() ? std::string() : it->second;
    }
};

class FakeShell : public Shell {
public:
    std::vector<std::string> opened;
    void OpenFolder(const std::string& folder) override { opened.push_back(folder); }
};
