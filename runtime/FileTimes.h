#pragma once
// Creation, last-access and last-write times of a file, each a 64-bit count of
// 100-nanosecond intervals since 1601-01-01 UTC.
#include <cstdint>
#include <string>

struct FileTimeSet {
    uint64_t creation = 0;
    uint64_t lastAccess = 0;
    uint64_t lastWrite = 0;
    bool operator==(const FileTimeSet&) const = default;
};

class FileTimes {
public:
    virtual ~FileTimes() = default;
    // False when the file cannot be opened for reading; out is then unchanged.
    virtual bool Read(const std::string& path, FileTimeSet& out) = 0;
    // False when the file cannot be opened for writing (missing or read-only).
    // Linux cannot set a creation time; last access and last write are set.
    virtual bool Write(const std::string& path, const FileTimeSet& times) = 0;
};

FileTimes& SystemFileTimes();

// Conversions between the 100-ns count since 1601 and Unix time.
uint64_t FileTimeFromUnix(int64_t seconds, uint32_t nanoseconds);
void FileTimeToUnix(uint64_t fileTime, int64_t& seconds, uint32_t& nanoseconds);
