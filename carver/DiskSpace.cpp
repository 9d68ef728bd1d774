#include "DiskSpace.h"

#include <limits>
#include <memory>

#include "CarverPlatform.h"

namespace modCarver {

namespace {

std::unique_ptr<clsDrive>& DriveSlot()
{
    static std::unique_ptr<clsDrive> drive;
    return drive;
}

}  // namespace

clsDrive& DriveInstance()
{
    auto& slot = DriveSlot();
    if (!slot) slot = std::make_unique<clsDrive>(*Platform().system, *Platform().drives);
    return *slot;
}

void ResetDriveInstance() { DriveSlot().reset(); }

clsPrivate& PrivateInstance()
{
    static clsPrivate holder;
    return holder;
}

double DiskSpace(bool wantTotal, const std::string& drive)
{
    clsDrive& d = DriveInstance();
    return wantTotal ? d.AllSpace(drive) : d.FreeSpace(drive);
}

double FreeBytesForPiece(const std::string& drive)
{
    try {
        return DiskSpace(false, drive);
    } catch (const DriveCapacityOverflow&) {
        return std::numeric_limits<int32_t>::max();
    }
}

}  // namespace modCarver
