#include <gtest/gtest.h>

#include <sys/stat.h>

#include "CarverTestPlatform.h"
#include "FileTimeCopy.h"
#include "Files.h"
#include "TempFolder.h"

using modCarver::ApplyFileTimes;
using modCarver::CaptureFileTimes;
using modCarver::SourceTimes;

namespace {

FileTimeSet TimesOf(const std::string& path)
{
    FileTimeSet t;
    EXPECT_TRUE(SystemFileTimes().Read(path, t)) << path;
    return t;
}

struct FileTimeCopy : ::testing::Test {
    TempFolder dir;
    FileTimeCopy() { SourceTimes = {}; }
    ~FileTimeCopy() override { SourceTimes = {}; }

    // A source with times far from now, so a copy cannot match by chance.
    std::string OldSource()
    {
        const std::string source = dir / "source.avi";
        WriteBytes(source, "source");
        FileTimeSet t;
        t.lastAccess = FileTimeFromUnix(946684800, 123400);  // 2000-01-01
        t.lastWrite = FileTimeFromUnix(915148800, 500);      // 1999-01-01
        EXPECT_TRUE(SystemFileTimes().Write(source, t));
        return source;
    }
};

TEST_F(FileTimeCopy, AWrittenFileGetsTheSourceTimes)
{
    const std::string source = OldSource();
    CaptureFileTimes(source);
    EXPECT_EQ(SourceTimes.lastWrite, FileTimeFromUnix(915148800, 500));
    EXPECT_EQ(SourceTimes.lastAccess, FileTimeFromUnix(946684800, 123400));

    WriteBytes(dir / "source.001", "piece");
    ApplyFileTimes(dir / "source.001");
    const FileTimeSet piece = TimesOf(dir / "source.001");
    EXPECT_EQ(piece.lastWrite, SourceTimes.lastWrite);
    EXPECT_EQ(piece.lastAccess, SourceTimes.lastAccess);
}

TEST_F(FileTimeCopy, AReadOnlyFileKeepsItsTimes)
{
    CaptureFileTimes(OldSource());
    WriteBytes(dir / "locked.001", "piece");
    ::chmod((dir / "locked.001").c_str(), 0444);
    const FileTimeSet before = TimesOf(dir / "locked.001");
    ApplyFileTimes(dir / "locked.001");
    EXPECT_EQ(TimesOf(dir / "locked.001"), before);
    ApplyFileTimes(dir / "missing.001");  // nothing to report, nothing created
    EXPECT_FALSE(FileExists(dir / "missing.001"));
}

TEST_F(FileTimeCopy, AMissingSourceLeavesTheTimesOfTheLastCapture)
{
    CaptureFileTimes(dir / "missing.avi");
    EXPECT_EQ(SourceTimes, FileTimeSet{}) << "zero before the first capture";
    CaptureFileTimes(OldSource());
    const FileTimeSet captured = SourceTimes;
    CaptureFileTimes(dir / "missing.avi");
    EXPECT_EQ(SourceTimes, captured);
}

}  // namespace
