#include "FileTimeCopy.h"

#include "CarverPlatform.h"

namespace modCarver {

FileTimeSet SourceTimes;

void CaptureFileTimes(const std::string& path)
{
    // Read leaves SourceTimes untouched when the file cannot be read.
    static_cast<void>(Platform().fileTimes->Read(path, SourceTimes));
}

void ApplyFileTimes(const std::string& path)
{
    static_cast<void>(Platform().fileTimes->Write(path, SourceTimes));
}

}  // namespace modCarver
