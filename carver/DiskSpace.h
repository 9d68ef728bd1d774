#pragma once
// The entry to the drive figures for the rest of Carver, and the program-wide
// clsDrive and clsPrivate, each created on first use.
#include <string>

#include "clsDrive.h"
#include "clsPrivate.h"

namespace modCarver {

// Total bytes (wantTotal) or free bytes of the drive the text names, measured
// afresh. Passes DriveCapacityOverflow on unchanged.
double DiskSpace(bool wantTotal, const std::string& drive);

// DiskSpace for the free bytes where the figure decides whether a piece fits:
// an overflow of the old query means more than 2,147,483,647 bytes are free,
// which is what it then gives.
double FreeBytesForPiece(const std::string& drive);

clsDrive& DriveInstance();
clsPrivate& PrivateInstance();
// Drops the program-wide clsDrive; the next use creates it over the platform
// in place then.
void ResetDriveInstance();

}  // namespace modCarver
