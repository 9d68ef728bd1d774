#pragma once
// Total and free bytes of a drive. The class prefers the 64-bit query on the
// systems it recognises; elsewhere it multiplies out the old cluster counts in
// 32-bit signed arithmetic, so those results never exceed 2,147,483,647 bytes.
#include <cstdint>
#include <stdexcept>
#include <string>

#include "Drives.h"
#include "SystemInfo.h"

// The old query's product went past 2,147,483,647 bytes: the property reports
// this instead of a value.
class DriveCapacityOverflow : public std::overflow_error {
public:
    DriveCapacityOverflow() : std::overflow_error("drive capacity overflows a 32-bit count") {}
};

class clsDrive {
public:
    clsDrive(SystemInfo& system, Drives& drives) : system_(system), drives_(drives) {}

    // Total size of the drive in bytes; 0 when it cannot be read.
    // Throws DriveCapacityOverflow from the old query.
    double AllSpace(const std::string& strDrive);
    // Free bytes on the drive; 0 when it cannot be read.
    // Throws DriveCapacityOverflow from the old query.
    double FreeSpace(const std::string& strDrive);

private:
    void LoadClusterCounts(const std::string& drive);
    bool IsSubVersionB();
    bool IsVersion98();
    bool IsPlatformNT();
    bool UsesWideQuery();
    double ClusterProduct(int32_t clusters);

    SystemInfo& system_;
    Drives& drives_;
    // Figures of the last old-style query.
    int32_t sectorsPerCluster_ = 0;
    int32_t bytesPerSector_ = 0;
    int32_t freeClusters_ = 0;
    int32_t totalClusters_ = 0;
};
