// Removable drives and the disk in them, over a fake mount table and sysfs
// tree: what counts as removable, where a path lies, which volume is the next
// disk.
#include <gtest/gtest.h>

#include <filesystem>

#include "DiskFolder.h"
#include "FakeSystemTree.h"
#include "FakeUiServices.h"

namespace {

struct Machine {
    FakeSystemTree tree;
    std::unique_ptr<Drives> drives = LinuxDrivesOver(tree.Sources());
    FakeUiServices ui;
};

TEST(VolumeRule, RemovableIsWhatTheDesktopCallsRemovable)
{
    Machine m;
    FakeSystemTree& t = m.tree;
    t.Device(kSataDiskPath + "sda", "8:0", 0);
    t.Device(kSataDiskPath + "sda/sda1", "8:1", -1);
    t.Device(kSataDiskPath + "sdc", "8:32", 1);  // a card reader on the SATA bus
    t.Device(kSataDiskPath + "sdc/sdc1", "8:33", -1);
    t.Device("pci0000:00@pci/mmc_host/mmc0/mmc0:aaaa@mmc/block/mmcblk0", "179:0", 0);
    t.Device(kUsbDiskPath + "sdb/sdb2", "8:18", -1);
    t.Device("virtual/block/dm-0", "254:1", 0);  // an encrypted volume on the USB disk
    t.Slave("virtual/block/dm-0", kUsbDiskPath + "sdb/sdb2");
    const std::pair<const char*, std::string> mounts[] = {{"8:1", t.At("data")},    {"8:17", t.Media("STICK")},
                                                          {"8:33", t.Media("CARD")}, {"179:0", t.At("mnt/sd")},
                                                          {"254:1", t.Media("LUKS")}, {"0:50", t.At("ram")}};
    for (const auto& [devNumbers, at] : mounts) {
        t.MakeDisk(devNumbers);
        t.Mount(devNumbers, at, devNumbers, "/dev/x");
    }

    struct Case {
        std::string path;
        bool removable;
        std::string mountPoint, inner;  // its place
    };
    const Case cases[] = {
        {t.At("data/films"), false, t.At("data"), "films"},
        {t.Media("STICK/films"), true, t.Media("STICK"), "films"},  // hot-plugged, removable 0
        {t.Media("CARD"), true, t.Media("CARD"), ""},               // a partition of a removable disk
        {t.At("mnt/sd/films"), true, t.At("mnt/sd"), "films"},
        {t.Media("LUKS/films"), true, t.Media("LUKS"), "films"},
        {t.At("ram/films"), false, t.At("ram"), "films"},
        // Paths that do not exist (yet).
        {t.Media("LATER/films/x"), true, t.Media("LATER"), "films/x"},  // no disk in the drive
        {t.Media("GONE/films"), true, t.Media("GONE"), "films"},        // a mount point left behind
        {t.At("run/media/user/LATER/films"), true, t.At("run/media/user/LATER"), "films"},  // nothing mounted there yet
        {t.At("mnt/usb/films"), true, t.At("mnt/usb"), "films"},        // beside a removable volume
        {t.Media("STICK/new/deeper"), true, t.Media("STICK"), "new/deeper"},
        {t.At("data/./new/../other"), false, t.At("data"), "other"},
        {t.At("nowhere/films"), false, "/", t.At("nowhere/films").substr(1)},
    };
    std::filesystem::create_directory(t.Media("GONE"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(m.drives->IsRemovable(c.path), c.removable);
        const VolumePlace place = m.drives->PlaceOf(c.path);
        EXPECT_EQ(place.mountPoint, c.mountPoint);
        EXPECT_EQ(place.inner, c.inner);
    }
}

TEST(VolumeRule, TheNextDiskIsTheVolumeThatTookThePlaceOfTheLastOne)
{
    // Disk 1 at media/user/DISK1 with films/ in use; OTHER was mounted before
    // the question for the next disk. At the question the user takes disk 1
    // out or not, and new volumes are mounted.
    struct Case {
        const char* what;
        bool disk1Out;
        std::vector<std::string> mounted;  // below the tree
        std::string found;                 // the folder found, below the tree; empty: no disk
    };
    const Case cases[] = {
        {"a new medium at the same path", true, {"media/user/DISK1"}, "media/user/DISK1/films/"},
        {"a new label in the same folder", true, {"media/user/DISK2"}, "media/user/DISK2/films/"},
        {"the last disk still in, a new one beside it", false, {"media/user/DISK2"}, "media/user/DISK1/films/"},
        {"two new volumes", true, {"media/user/DISK2", "media/user/DISK3"}, ""},
        {"none", true, {}, ""},
        {"a new volume in another folder", true, {"mnt/DISK2"}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Machine m;
        for (const char* disk : {"DISK1", "OTHER"}) m.tree.MakeDisk(disk);
        m.tree.Mount("DISK1", m.tree.Media("DISK1"));
        m.tree.Mount("OTHER", m.tree.Media("OTHER"));
        const std::string given = m.tree.Media("DISK1/films/");
        DiskFolder folder(*m.drives, m.ui, given, true);
        ASSERT_EQ(folder.Locate(), given);
        WriteBytes(given + "movie.001", "piece");
        folder.Written(given + "movie.001");
        ASSERT_TRUE(folder.NextDisk().ok());

        if (c.disk1Out) m.tree.Unmount(m.tree.Media("DISK1"));
        for (const std::string& at : c.mounted) {
            m.tree.MakeDisk(at);
            m.tree.Mount(at, m.tree.At(at));
        }
        const std::string expected = c.found.empty() ? "" : m.tree.At(c.found);
        EXPECT_EQ(folder.Locate(), expected);
        EXPECT_EQ(folder.Root(), expected.empty() ? "" : expected.substr(0, expected.size() - 7));
        std::vector<std::string> log{"unmount /dev/sdb1"};
        if (!expected.empty()) log.push_back("found " + expected);
        folder.Locate();
        EXPECT_EQ(m.ui.log, log) << "the disk found is reported once";
    }
}

TEST(VolumeRule, NoDiskAtTheStartIsFoundWhereItIsMounted)
{
    Machine m;
    const std::string given = m.tree.Media("STICK/films/");
    ASSERT_TRUE(m.drives->IsRemovable(given));
    DiskFolder folder(*m.drives, m.ui, given, true);
    EXPECT_EQ(folder.Current(), "");
    m.tree.MakeDisk("BACKUP");
    m.tree.Mount("BACKUP", m.tree.Media("BACKUP"));
    EXPECT_EQ(folder.Locate(), m.tree.Media("BACKUP/films/"));
    EXPECT_EQ(m.ui.log, std::vector<std::string>{"found " + m.tree.Media("BACKUP/films/")});
}

TEST(VolumeRule, OnlyADiskWhoseFilesAreSyncedIsOfferedForRemoval)
{
    Machine m;
    m.tree.MakeDisk("DISK1");
    m.tree.Mount("DISK1", m.tree.Media("DISK1"));
    DiskFolder folder(*m.drives, m.ui, m.tree.Media("DISK1/"), true);
    folder.Written(m.tree.Media("DISK1/vanished.001"));
    EXPECT_FALSE(folder.NextDisk().ok());
    // A volume the system does not see as removable gets no unmount hint either.
    m.tree.MakeDisk("RAM");
    m.tree.Mount("RAM", m.tree.At("ram"), "0:50", "tmpfs");
    DiskFolder ram(*m.drives, m.ui, m.tree.At("ram/"), true);
    EXPECT_TRUE(ram.NextDisk().ok());
    EXPECT_TRUE(m.ui.log.empty());
}

}  // namespace
