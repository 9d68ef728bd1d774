#include "Sha256SumCheck.h"

#include <stdexcept>

#include "Sha256.h"
#include "ToolRun.h"

Sha256SumResult RunSha256SumCheck(const std::string& folder, const std::string& manifestName, bool ignoreMissing)
{
    const ToolResult run = RunInFolder(
        folder, {"sha256sum", "-c", ignoreMissing ? "--ignore-missing" : "--strict", "--", manifestName});
    return {run.status, run.output};
}

std::string Sha256Hex(const std::string& bytes)
{
    Sha256 hash;
    hash.Update(bytes);
    Sha256Digest digest;
    if (!hash.Finish(digest)) throw std::runtime_error("SHA-256 failed");
    return HexOf(digest);
}
