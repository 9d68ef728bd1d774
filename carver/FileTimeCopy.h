#pragma once
// Gives the files of a split set the source's creation, last-access and
// last-write times. Linux cannot set a creation time; the other two are set.
#include <string>

#include "FileTimes.h"

namespace modCarver {

// The source's three times, captured once per split; all zero until then.
extern FileTimeSet SourceTimes;

// Fills SourceTimes from the file; a file that cannot be read leaves it as it was.
void CaptureFileTimes(const std::string& path);
// Gives the file the times held in SourceTimes; a file that cannot be opened
// for writing (missing, read-only) keeps its own. Nothing is reported.
void ApplyFileTimes(const std::string& path);

}  // namespace modCarver
