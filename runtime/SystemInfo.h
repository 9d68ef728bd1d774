#pragma once
// What the drive-capacity class asks of the system: the platform family and
// two registry values of the system version.
#include <string>

class SystemInfo {
public:
    virtual ~SystemInfo() = default;
    virtual bool IsPlatformNT() = 0;
    // The registry value under the system's CurrentVersion key, cut at its first
    // NUL; the empty text when it cannot be read.
    virtual std::string VersionRegistryValue(const std::string& name) = 0;
};

SystemInfo& ThisSystem();
