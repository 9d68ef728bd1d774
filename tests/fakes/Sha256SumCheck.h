#pragma once
// Runs the system's `sha256sum -c` on a manifest, in the folder that holds
// it, the way a user checks a split set from a terminal.
#include <string>

struct Sha256SumResult {
    int status = -1;     // exit status; -1 when it could not run
    std::string output;  // standard output and standard error
};

// With `ignoreMissing`, files listed but not there are skipped (a removable
// disk's manifest lists the pieces of the disks before it too).
Sha256SumResult RunSha256SumCheck(const std::string& folder, const std::string& manifestName,
                                  bool ignoreMissing = false);

// The SHA-256 of `bytes` in lowercase hexadecimal, as a manifest line holds it.
std::string Sha256Hex(const std::string& bytes);
