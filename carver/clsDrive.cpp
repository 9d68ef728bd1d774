#include "clsDrive.h"

double clsDrive::AllSpace(const std::string& strDrive)
{
    if (UsesWideQuery()) return static_cast<double>(drives_.QueryFreeSpaceEx(strDrive).totalBytes);
    LoadClusterCounts(strDrive);
    return ClusterProduct(totalClusters_);
}

double clsDrive::FreeSpace(const std::string& strDrive)
{
    if (UsesWideQuery()) return static_cast<double>(drives_.QueryFreeSpaceEx(strDrive).totalFreeBytes);
    LoadClusterCounts(strDrive);
    return ClusterProduct(freeClusters_);
}

void clsDrive::LoadClusterCounts(const std::string& drive)
{
    const DiskClusterCounts counts = drives_.QueryClusterCounts(drive);
    // A failed query must not leave the figures of an earlier drive behind:
    // the callers take 0 bytes for a drive that cannot be read.
    sectorsPerCluster_ = counts.ok ? counts.sectorsPerCluster : 0;
    bytesPerSector_ = counts.ok ? counts.bytesPerSector : 0;
    freeClusters_ = counts.ok ? counts.freeClusters : 0;
    totalClusters_ = counts.ok ? counts.totalClusters : 0;
}

bool clsDrive::IsSubVersionB()
{
    const std::string value = system_.VersionRegistryValue("SubVersionNumber");
    if (value == " a") return false;
    return value == " B";
}

bool clsDrive::IsVersion98() { return system_.VersionRegistryValue("Version") == "Windows 98"; }

bool clsDrive::IsPlatformNT() { return system_.IsPlatformNT(); }

// The tests are made in this order and the first that holds decides, so an
// NT-family system never has its registry read.
bool clsDrive::UsesWideQuery() { return IsPlatformNT() || IsVersion98() || IsSubVersionB(); }

double clsDrive::ClusterProduct(int32_t clusters)
{
    // clusters x sectors per cluster x bytes per sector, left to right, each
    // step checked against the 32-bit signed range.
    int32_t product = 0;
    if (__builtin_mul_overflow(clusters, sectorsPerCluster_, &product) ||
        __builtin_mul_overflow(product, bytesPerSector_, &product))
        throw DriveCapacityOverflow();
    return static_cast<double>(product);
}
