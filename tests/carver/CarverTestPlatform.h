#pragma once
// Puts fake drives and a fake system in place for one test and the system's
// own services back afterwards.
#include "CarverPlatform.h"
#include "DiskSpace.h"
#include "FakePlatform.h"
#include "FileTimeCopy.h"
#include "SplitEngine.h"

class ScopedFakePlatform {
public:
    FakeDrives drives;
    FakeSystemInfo system;

    ScopedFakePlatform()
    {
        modCarver::SetPlatform({&drives, &system, nullptr});
        modCarver::SourceTimes = {};
        modCarver::CancelRequested = false;
        modCarver::PrivateInstance().DiskTotalSize(0);
    }
    ~ScopedFakePlatform() { modCarver::SetPlatform(modCarver::SystemPlatform()); }
    ScopedFakePlatform(const ScopedFakePlatform&) = delete;
    ScopedFakePlatform& operator=(const ScopedFakePlatform&) = delete;

    void SetFree(uint64_t bytes) { drives.freeSpace = {true, bytes, 1ULL << 41, bytes}; }
};
