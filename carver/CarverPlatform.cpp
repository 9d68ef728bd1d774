#include "CarverPlatform.h"

#include "DiskSpace.h"

namespace modCarver {

namespace {

CarverPlatform& Current()
{
    static CarverPlatform platform = SystemPlatform();
    return platform;
}

}  // namespace

CarverPlatform SystemPlatform() { return {&SystemDrives(), &ThisSystem(), &SystemFileTimes()}; }

const CarverPlatform& Platform() { return Current(); }

void SetPlatform(const CarverPlatform& platform)
{
    const CarverPlatform system = SystemPlatform();
    Current() = {platform.drives ? platform.drives : system.drives,
                 platform.system ? platform.system : system.system,
                 platform.fileTimes ? platform.fileTimes : system.fileTimes};
    ResetDriveInstance();
}

}  // namespace modCarver
