// Removable drives and the disk in them, over a fake mount table and sysfs
// tree: what counts as removable, where a path lies, and which volume is the
// next disk.
#include <gtest/gtest.h>

#include <functional>

#include "DiskFolder.h"
#include "FakeSystemTree.h"
#include "FakeUiServices.h"

namespace {

const std::string& kUsb = kUsbDiskPath;
const std::string& kSata = kSataDiskPath;

struct Machine : ::testing::Test {
    FakeSystemTree tree;
    std::unique_ptr<Drives> drives = LinuxDrivesOver(tree.Sources());
    FakeUiServices ui;

    Machine()
    {
        tree.Device(kSata + "sda", "8:0", 0);  // the fixed disk
        tree.Device(kSata + "sda/sda1", "8:1", -1);
        tree.Device(kUsb + "sdb", "8:16", 0);  // many USB disks say removable 0
        tree.Device(kUsb + "sdb/sdb1", "8:17", -1);
        tree.Device(kUsb + "sdb/sdb2", "8:18", -1);
        tree.Device(kSata + "sdc", "8:32", 1);  // a card reader on the SATA bus
        tree.Device(kSata + "sdc/sdc1", "8:33", -1);
        tree.Device("pci0000:00@pci/mmc_host/mmc0/mmc0:aaaa@mmc/block/mmcblk0", "179:0", 0);
        tree.Device("virtual/block/dm-0", "254:1", 0);  // an encrypted volume on the USB disk
        tree.Slave("virtual/block/dm-0", kUsb + "sdb/sdb2");
    }
    std::string Media(const std::string& name) const { return tree.Media() + "/" + name; }
};

TEST_F(Machine, RemovableIsWhatTheDesktopCallsRemovable)
{
    for (const char* disk : {"DATA", "STICK", "CARD", "SD", "SECRET", "RAM"}) tree.MakeDisk(disk, {"films/"});
    tree.Mount("DATA", tree.At("data"), "8:1", "/dev/sda1");
    tree.Mount("STICK", Media("STICK"), "8:17", "/dev/sdb1");
    tree.Mount("CARD", Media("CARD"), "8:33", "/dev/sdc1");
    tree.Mount("SD", tree.At("mnt/sd"), "179:0", "/dev/mmcblk0");
    tree.Mount("SECRET", Media("SECRET"), "254:1", "/dev/mapper/luks-1");
    tree.Mount("RAM", tree.At("ram"), "0:50", "tmpfs");

    struct Case {
        std::string path;
        bool removable;
        std::string mountPoint, inner;  // its place
    };
    const Case cases[] = {
        {tree.At("data/films"), false, tree.At("data"), "films"},
        {Media("STICK/films"), true, Media("STICK"), "films"},  // hot-plugged, removable 0
        {Media("CARD"), true, Media("CARD"), ""},               // a partition of a removable disk
        {tree.At("mnt/sd/films"), true, tree.At("mnt/sd"), "films"},
        {Media("SECRET/films"), true, Media("SECRET"), "films"},  // built on a USB partition
        {tree.At("ram/films"), false, tree.At("ram"), "films"},
        // Paths that do not exist (yet).
        {Media("LATER/films/x"), true, Media("LATER"), "films/x"},      // no disk in the drive
        {tree.At("mnt/usb/films"), true, tree.At("mnt/usb"), "films"},  // beside a removable volume
        {Media("STICK/new/deeper"), true, Media("STICK"), "new/deeper"},
        {tree.At("data/./new/../other"), false, tree.At("data"), "other"},
        {tree.At("nowhere/films"), false, "/", tree.At("nowhere/films").substr(1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(drives->IsRemovable(c.path), c.removable);
        const VolumePlace place = drives->PlaceOf(c.path);
        EXPECT_EQ(place.mountPoint, c.mountPoint);
        EXPECT_EQ(place.inner, c.inner);
    }
}

// Disk 1 in the drive at /media/user/DISK1, its folder films/ in use; then the
// question for the next disk, what the user does, and what is taken as disk 2.
struct NextDiskCase {
    const char* what;
    std::function<void(Machine&)> act;
    std::string found;  // below the media folder; empty: no disk
    friend void PrintTo(const NextDiskCase& c, std::ostream* out) { *out << c.what; }
};

struct NextDisk : Machine, ::testing::WithParamInterface<NextDiskCase> {};

TEST_P(NextDisk, IsTheVolumeThatTookThePlaceOfTheLastOne)
{
    for (const char* disk : {"DISK1", "DISK2", "DISK3", "OTHER"}) tree.MakeDisk(disk, {"films/"});
    tree.Mount("DISK1", Media("DISK1"), "8:17", "/dev/sdb1");
    tree.Mount("OTHER", Media("OTHER"), "8:33", "/dev/sdc1");  // mounted before, never the next disk
    const std::string given = Media("DISK1/films/");
    DiskFolder folder(*drives, ui, given, true);
    EXPECT_EQ(folder.Locate(), given);
    WriteBytes(given + "movie.001", "piece");
    folder.Written(given + "movie.001");
    ASSERT_TRUE(folder.NextDisk().ok());

    GetParam().act(*this);
    const std::string expected = GetParam().found.empty() ? "" : Media(GetParam().found);
    EXPECT_EQ(folder.Locate(), expected);
    EXPECT_EQ(folder.Root(), expected.empty() ? "" : expected.substr(0, expected.size() - 7));
    std::vector<std::string> log{"unmount /dev/sdb1"};
    if (!expected.empty()) log.push_back("found " + expected);
    EXPECT_EQ(ui.log, log) << "the disk found is reported once";
    folder.Locate();
    EXPECT_EQ(ui.log.size(), log.size());
}

INSTANTIATE_TEST_SUITE_P(
    VolumeRule, NextDisk,
    ::testing::Values(
        NextDiskCase{"a new medium at the same path",
                     [](Machine& m) {
                         m.tree.Unmount(m.Media("DISK1"));
                         m.tree.Mount("DISK2", m.Media("DISK1"), "8:17", "/dev/sdb1");
                     },
                     "DISK1/films/"},
        NextDiskCase{"a new label in the same folder",
                     [](Machine& m) {
                         m.tree.Unmount(m.Media("DISK1"));
                         m.tree.Mount("DISK2", m.Media("DISK2"), "8:17", "/dev/sdb1");
                     },
                     "DISK2/films/"},
        NextDiskCase{"the last disk still in, a new one beside it",
                     [](Machine& m) { m.tree.Mount("DISK2", m.Media("DISK2"), "8:49", "/dev/sdd1"); },
                     "DISK1/films/"},
        NextDiskCase{"two new volumes",
                     [](Machine& m) {
                         m.tree.Unmount(m.Media("DISK1"));
                         m.tree.Mount("DISK2", m.Media("DISK2"), "8:17", "/dev/sdb1");
                         m.tree.Mount("DISK3", m.Media("DISK3"), "8:49", "/dev/sdd1");
                     },
                     ""},
        NextDiskCase{"none", [](Machine& m) { m.tree.Unmount(m.Media("DISK1")); }, ""},
        NextDiskCase{"a new volume in another folder",
                     [](Machine& m) {
                         m.tree.Unmount(m.Media("DISK1"));
                         m.tree.Mount("DISK2", m.tree.At("mnt/DISK2"), "8:17", "/dev/sdb1");
                     },
                     ""}),
    [](const ::testing::TestParamInfo<NextDiskCase>& info) { return "case" + std::to_string(info.index); });

TEST_F(Machine, TwoNewVolumesAreNoDiskUntilOneGoes)
{
    for (const char* disk : {"DISK1", "DISK2", "DISK3"}) tree.MakeDisk(disk);
    tree.Mount("DISK1", Media("DISK1"), "8:17", "/dev/sdb1");
    DiskFolder folder(*drives, ui, Media("DISK1/"), true);
    ASSERT_TRUE(folder.NextDisk().ok());
    tree.Unmount(Media("DISK1"));
    tree.Mount("DISK2", Media("DISK2"), "8:17", "/dev/sdb1");
    tree.Mount("DISK3", Media("DISK3"), "8:49", "/dev/sdd1");
    EXPECT_EQ(folder.Locate(), "");
    tree.Unmount(Media("DISK3"));
    EXPECT_EQ(folder.Locate(), Media("DISK2/"));
}

TEST_F(Machine, NoDiskAtTheStartIsFoundWhereItIsMounted)
{
    tree.MakeDisk("BACKUP", {"films/"});
    const std::string given = Media("STICK/films/");
    ASSERT_TRUE(drives->IsRemovable(given));
    DiskFolder folder(*drives, ui, given, true);
    EXPECT_EQ(folder.Current(), "");
    EXPECT_EQ(folder.Root(), "");
    tree.Mount("BACKUP", Media("BACKUP"), "8:17", "/dev/sdb1");
    EXPECT_EQ(folder.Locate(), Media("BACKUP/films/"));
    EXPECT_EQ(ui.log, std::vector<std::string>{"found " + Media("BACKUP/films/")});
}

TEST_F(Machine, WhatCannotBeSyncedIsNoDiskToTakeOut)
{
    tree.MakeDisk("DISK1");
    tree.Mount("DISK1", Media("DISK1"), "8:17", "/dev/sdb1");
    DiskFolder folder(*drives, ui, Media("DISK1/"), true);
    folder.Written(Media("DISK1/vanished.001"));
    const IoStatus s = folder.NextDisk();
    EXPECT_FALSE(s.ok());
    EXPECT_FALSE(s.Description().empty());
    EXPECT_TRUE(ui.log.empty()) << "no word that the disk can be taken out";

    // A volume the system does not see as removable gets no unmount hint.
    tree.MakeDisk("RAM");
    tree.Mount("RAM", tree.At("ram"), "0:50", "tmpfs");
    DiskFolder ram(*drives, ui, tree.At("ram/"), true);
    EXPECT_TRUE(ram.NextDisk().ok());
    EXPECT_TRUE(ui.log.empty());
}

TEST_F(Machine, AFixedFolderStaysPut)
{
    tree.MakeDisk("DATA");
    tree.Mount("DATA", tree.At("data"), "8:1", "/dev/sda1");
    DiskFolder folder(*drives, ui, tree.At("data/"), false);
    folder.Written(tree.At("data/missing"));
    EXPECT_TRUE(folder.NextDisk().ok()) << "nothing is synced on a fixed drive";
    tree.Unmount(tree.At("data"));
    EXPECT_EQ(folder.Locate(), tree.At("data/"));
    EXPECT_EQ(folder.Root(), "");
    EXPECT_TRUE(ui.log.empty());
}

}  // namespace
