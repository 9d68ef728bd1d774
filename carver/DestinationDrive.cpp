#include "DestinationDrive.h"

#include "Files.h"

namespace modCarver {

std::string DriveRootText(Drives& drives, const std::string& folder)
{
    return FolderExists(folder) ? drives.DriveRootOf(folder) : std::string();
}

bool DestinationDiskPresent(Drives& drives, const std::string& folder, const std::string& driveRoot)
{
    return drives.CanListRoot(driveRoot) && FolderExists(folder) && drives.DriveRootOf(folder) == driveRoot;
}

}  // namespace modCarver
