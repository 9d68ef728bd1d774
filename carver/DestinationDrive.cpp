#include "DestinationDrive.h"

#include "Files.h"

namespace modCarver {

bool DestinationDiskPresent(Drives& drives, const std::string& folder, const std::string& driveRoot)
{
    return drives.CanListRoot(driveRoot) && FolderExists(folder) && drives.DriveRootOf(folder) == driveRoot;
}

}  // namespace modCarver
