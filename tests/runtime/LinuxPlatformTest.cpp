#include <gtest/gtest.h>

#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

#include "Drives.h"
#include "FileTimes.h"
#include "Files.h"
#include "SystemInfo.h"
#include "TempFolder.h"

TEST(LinuxDrives, MountsSpaceAndRemovability)
{
    TempFolder dir;
    Drives& drives = SystemDrives();
    EXPECT_FALSE(drives.IsRemovable(dir / "does-not-exist"));
    EXPECT_FALSE(drives.IsRemovable("/proc")) << "a pseudo file system has no removable device";
    EXPECT_EQ(drives.DriveRootOf("/proc/self"), "/proc");
    EXPECT_EQ(drives.DriveRootOf(dir / "does-not-exist"), "");
    const std::string root = drives.DriveRootOf(dir.Path());
    ASSERT_FALSE(root.empty());
    EXPECT_EQ(dir.Path().rfind(root, 0), 0u) << root << " holds " << dir.Path();

    const DiskFreeSpaceEx space = drives.QueryFreeSpaceEx(dir.Path());
    EXPECT_TRUE(space.ok);
    EXPECT_GT(space.totalBytes, 0u);
    EXPECT_LE(space.totalFreeBytes, space.totalBytes);
    EXPECT_FALSE(drives.QueryFreeSpaceEx(dir / "missing/").ok);
    EXPECT_EQ(drives.QueryFreeSpaceEx("").totalFreeBytes, 0u);

    EXPECT_TRUE(drives.CanListRoot(dir.Path()));
    EXPECT_FALSE(drives.CanListRoot(dir / "missing"));

    const std::vector<MountedVolume> mounts = drives.Mounts();
    EXPECT_TRUE(std::any_of(mounts.begin(), mounts.end(), [&](const MountedVolume& m) { return m.mountPoint == root; }));
    const VolumePlace place = drives.PlaceOf(dir / "not-yet/sub");
    EXPECT_EQ(place.mountPoint, root);
    EXPECT_TRUE(("/" + place.inner).ends_with("/not-yet/sub")) << place.inner;
}

TEST(LinuxFiles, SyncPathTakesFilesAndFoldersButNoSymlinks)
{
    TempFolder dir;
    WriteBytes(dir / "piece", "data");
    ASSERT_EQ(::symlink((dir / "piece").c_str(), (dir / "link").c_str()), 0);
    EXPECT_TRUE(SyncPath(dir / "piece").ok());
    EXPECT_TRUE(SyncPath(dir.Path()).ok());
    EXPECT_FALSE(SyncPath(dir / "link").ok());
    EXPECT_FALSE(SyncPath(dir / "missing").ok());
}

TEST(LinuxSystem, ReportsAnNtFamilySystemWithoutRegistry)
{
    EXPECT_TRUE(ThisSystem().IsPlatformNT());
    EXPECT_EQ(ThisSystem().VersionRegistryValue("Version"), "");
}

TEST(FileTimeUnits, HundredNanosecondsSince1601)
{
    EXPECT_EQ(FileTimeFromUnix(0, 0), 116444736000000000ULL);
    int64_t s;
    uint32_t ns;
    FileTimeToUnix(FileTimeFromUnix(1700000000, 123456700), s, ns);
    EXPECT_EQ(s, 1700000000);
    EXPECT_EQ(ns, 123456700u);
    FileTimeToUnix(FileTimeFromUnix(-1, 500), s, ns);  // before 1970
    EXPECT_EQ(s, -1);
    EXPECT_EQ(ns, 500u);
}

TEST(LinuxFileTimes, CopiesAccessAndWriteTimesButNotToReadOnlyFiles)
{
    TempFolder dir;
    WriteBytes(dir / "src", "s");
    WriteBytes(dir / "dst", "d");
    FileTimes& times = SystemFileTimes();
    FileTimeSet t;
    t.creation = FileTimeFromUnix(1000000000, 0);
    t.lastAccess = FileTimeFromUnix(1100000000, 5000);
    t.lastWrite = FileTimeFromUnix(1200000000, 7000);
    ASSERT_TRUE(times.Write(dir / "src", t));
    FileTimeSet read;
    ASSERT_TRUE(times.Read(dir / "src", read));
    EXPECT_EQ(read.lastAccess, t.lastAccess);
    EXPECT_EQ(read.lastWrite, t.lastWrite);

    ::chmod((dir / "dst").c_str(), 0444);
    FileTimeSet before;
    ASSERT_TRUE(times.Read(dir / "dst", before));
    EXPECT_FALSE(times.Write(dir / "dst", t));
    FileTimeSet after;
    ASSERT_TRUE(times.Read(dir / "dst", after));
    EXPECT_EQ(after.lastWrite, before.lastWrite);

    FileTimeSet untouched = t;
    EXPECT_FALSE(times.Read(dir / "missing", untouched));
    EXPECT_EQ(untouched, t);
    EXPECT_FALSE(times.Write(dir / "missing", t));
}
