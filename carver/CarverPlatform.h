#pragma once
// The platform services the split engine and the drive-capacity classes run
// over. They are the system's own unless a caller puts others in place:
//
//     modCarver::SetPlatform({&fakeDrives, &fakeSystem, &fakeTimes});
//     ...
//     modCarver::SetPlatform(modCarver::SystemPlatform());
//
// Putting a platform in place also starts a fresh program-wide clsDrive, so
// that no figure of one platform is read back under another.
#include "Drives.h"
#include "FileTimes.h"
#include "SystemInfo.h"

namespace modCarver {

struct CarverPlatform {
    Drives* drives = nullptr;
    SystemInfo* system = nullptr;
    FileTimes* fileTimes = nullptr;
};

// SystemDrives(), ThisSystem() and SystemFileTimes().
CarverPlatform SystemPlatform();
// The services in use; the system's until SetPlatform is called.
const CarverPlatform& Platform();
// Replaces the services in use; a null member keeps the system's service.
void SetPlatform(const CarverPlatform& platform);

}  // namespace modCarver
