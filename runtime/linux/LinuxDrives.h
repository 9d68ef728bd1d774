#pragma once
// The Linux drives over a state of the machine that a test can replace: the
// mount table, the sysfs tree and the folders where the desktop mounts
// removable volumes.
#include <memory>
#include <string>
#include <vector>

#include "Drives.h"

struct DriveSources {
    std::string mountInfo = "/proc/self/mountinfo";
    std::string sysfs = "/sys";
    // /media/USER and /run/media/USER of the user running the program.
    std::vector<std::string> mediaFolders;
    // The swap areas in use: never formatted.
    std::string swaps = "/proc/swaps";
};

// The sources of this machine.
DriveSources SystemDriveSources();
std::unique_ptr<Drives> LinuxDrivesOver(const DriveSources& sources);
