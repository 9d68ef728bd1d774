#pragma once
// The drive of a destination folder on Linux: the mount that holds the folder.
// A removed disk takes its mount (and so the folder) with it, which makes the
// folder's presence the test for a disk in the drive.
#include <string>

#include "Drives.h"

namespace modCarver {

// The disk check after a piece: the drive's root can be listed and the
// destination folder is still there, on that mount.
bool DestinationDiskPresent(Drives& drives, const std::string& folder, const std::string& driveRoot);

}  // namespace modCarver
