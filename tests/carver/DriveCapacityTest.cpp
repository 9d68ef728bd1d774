#include <gtest/gtest.h>

#include "CarverTestPlatform.h"
#include "DiskSpace.h"
#include "TempFolder.h"
#include "clsDrive.h"

namespace {

// The 64-bit query answers differ from the cluster counts, so each result
// shows which query produced it.
struct Capacity : ::testing::Test {
    FakeSystemInfo system;
    FakeDrives drives;
    clsDrive drive{system, drives};

    Capacity()
    {
        drives.freeSpace = {true, 111, 5ULL * 1024 * 1024 * 1024, 6ULL * 1024 * 1024 * 1024 - 1};
        drives.clusters = {true, 8, 512, 1000, 2000};  // 4,096,000 free, 8,192,000 total
    }
    void OldWindows(const std::string& version, const std::string& subVersion)
    {
        system.platformNT = false;
        system.registry = {{"Version", version}, {"SubVersionNumber", subVersion}};
    }
};

TEST_F(Capacity, NtFamilyUsesTheWideQueryWithoutReadingTheRegistry)
{
    EXPECT_EQ(drive.AllSpace("D:/"), 5.0 * 1024 * 1024 * 1024);
    EXPECT_EQ(drive.FreeSpace("D:/"), 6.0 * 1024 * 1024 * 1024 - 1) << "total free bytes, beyond 4 GiB, exact";
    EXPECT_EQ(system.registryReads, 0);
    EXPECT_EQ(drives.freeSpaceQueries, (std::vector<std::string>{"D:/", "D:/"}));
}

TEST_F(Capacity, TheSystemVersionChoosesTheQuery)
{
    OldWindows("Windows 98", " a");
    EXPECT_EQ(drive.FreeSpace("A:/"), 6.0 * 1024 * 1024 * 1024 - 1) << "Windows 98 wins over \" a\"";

    OldWindows("Windows 95", " B");
    EXPECT_EQ(drive.FreeSpace("A:/"), 6.0 * 1024 * 1024 * 1024 - 1);

    for (const char* sub : {" a", " C", "B", " b", ""}) {
        OldWindows("Windows 95", sub);
        EXPECT_EQ(drive.FreeSpace("A:/"), 4096000.0) << "sub-version [" << sub << "]";
        EXPECT_EQ(drive.AllSpace("A:/"), 8192000.0) << "sub-version [" << sub << "]";
    }
    OldWindows("windows 98", "");
    EXPECT_EQ(drive.FreeSpace("A:/"), 4096000.0) << "the version is compared case-sensitively";
}

TEST_F(Capacity, OldQueryMultipliesIn32BitsAndReportsOverflow)
{
    OldWindows("", "");
    drives.clusters = {true, 64, 512, 65525, 65525};
    EXPECT_EQ(drive.AllSpace("C:/"), 2147123200.0);
    EXPECT_EQ(drive.FreeSpace("C:/"), 2147123200.0);

    drives.clusters = {true, 64, 512, 65536, 65536};  // exactly 2^31
    EXPECT_THROW(drive.AllSpace("C:/"), DriveCapacityOverflow);
    EXPECT_THROW(drive.FreeSpace("C:/"), DriveCapacityOverflow);
    drives.clusters = {true, 64, 512, 2000000000, 2000000000};  // the first product already overflows
    EXPECT_THROW(drive.FreeSpace("C:/"), DriveCapacityOverflow);
}

TEST_F(Capacity, AnUnreadableDriveMeasuresZero)
{
    drives.freeSpace = {};
    EXPECT_EQ(drive.FreeSpace("A:/"), 0.0);
    EXPECT_EQ(drive.AllSpace("A:/"), 0.0);

    OldWindows("", "");
    EXPECT_EQ(drive.FreeSpace("C:/"), 4096000.0);
    drives.clusters = {false, 8, 512, 1000, 2000};
    EXPECT_EQ(drive.FreeSpace("A:/"), 0.0) << "no figures of the earlier drive survive a failed query";
    EXPECT_EQ(drive.AllSpace("A:/"), 0.0);
}

TEST(DiskSpace, ProgramWideDriveFollowsThePlatformAndOverflowMeansPlentyForAPiece)
{
    ScopedFakePlatform platform;
    platform.drives.freeSpace = {true, 1, 700, 300};
    EXPECT_EQ(modCarver::DiskSpace(false, "E:/"), 300.0);
    EXPECT_EQ(modCarver::DiskSpace(true, "E:/"), 700.0);
    EXPECT_EQ(&modCarver::DriveInstance(), &modCarver::DriveInstance());

    platform.system.platformNT = false;
    platform.drives.clusters = {true, 64, 512, 70000, 70000};
    EXPECT_THROW(modCarver::DiskSpace(false, "E:/"), DriveCapacityOverflow);
    EXPECT_EQ(modCarver::FreeBytesForPiece("E:/"), 2147483647.0);

    modCarver::PrivateInstance().DiskTotalSize(1234.5);
    EXPECT_EQ(modCarver::PrivateInstance().DiskTotalSize(), 1234.5);
}

TEST(DiskSpace, OnLinuxFreeBytesAreWhatAWriterMayUse)
{
    TempFolder dir;
    const DiskFreeSpaceEx raw = SystemDrives().QueryFreeSpaceEx(dir.Path());
    ASSERT_TRUE(raw.ok);
    const double free = modCarver::DiskSpace(false, dir.Path());
    // Other programs write meanwhile; the figure is the caller's share, not the
    // blocks reserved for root.
    EXPECT_NEAR(free, static_cast<double>(raw.availableToCaller), 64.0 * 1024 * 1024);
    EXPECT_GE(modCarver::DiskSpace(true, dir.Path()), free);
    EXPECT_EQ(modCarver::DiskSpace(false, dir / "no-such-folder/"), 0.0);
}

}  // namespace
