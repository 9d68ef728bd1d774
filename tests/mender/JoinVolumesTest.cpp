// A join from a removable drive over a fake mount table: each disk of the set
// is a volume mounted at a path of its own, found by the volume rule.
#include <gtest/gtest.h>

#include <filesystem>

#include "FakeSystemTree.h"
#include "JoinTestSupport.h"
#include "modMender.h"

TEST(JoinVolumes, EachDiskIsFoundWhereTheDesktopMountsIt)
{
    FakeSystemTree tree;
    tree.Device(kUsbDiskPath + "sdb", "8:16", 0);
    tree.Device(kUsbDiskPath + "sdb/sdb1", "8:17", -1);
    const auto media = [&](const std::string& name) { return tree.Media() + "/" + name; };

    // The set as a split left it: the join-info file and piece 1 on DISK1,
    // piece 2 on DISK2, piece 3 on DISK3, each in films/.
    for (const char* disk : {"DISK1", "DISK2", "DISK3", "OTHER"}) tree.MakeDisk(disk, {"films/"});
    const TestSet set = MakeSet(tree.DiskFolder("DISK1") + "/films/", "movie.", "movie.avi", {5000, 4096, 123});
    for (const int k : {2, 3}) {
        const std::string disk = "DISK" + std::to_string(k);
        std::filesystem::rename(set.piecePaths[k - 1], tree.DiskFolder(disk) + "/films/movie.00" + std::to_string(k));
    }
    tree.Mount("DISK1", media("A"), "8:17", "/dev/sdb1");

    FakeJoinerWindow window;
    window.afterDelete = true;
    FakeUiServices ui("Mender");
    ui.onQuestion = [&](const FakeUiServices::Question& q) {
        if (q.text == DiskPrompt("２")) {
            tree.Unmount(media("A"));
            tree.Mount("DISK2", media("B"), "8:17", "/dev/sdb1");
        } else if (q.text == DiskPrompt("３")) {
            // Disk 3 in the reader, and another stick plugged in as well.
            tree.Unmount(media("B"));
            tree.Mount("DISK3", media("C"), "8:17", "/dev/sdb1");
            tree.Mount("OTHER", media("D"), "8:33", "/dev/sdc1");
        } else if (q.text == WrongDiskPrompt("３")) {
            tree.Unmount(media("D"));
        }
    };
    std::unique_ptr<Drives> drives = LinuxDrivesOver(tree.Sources());
    TempFolder out;
    modMender::JoinFiles(window, ui, media("A/films/movie.000"), out.Path(), *drives);

    EXPECT_EQ(ui.log, (std::vector<std::string>{kAskJoin, "unmount /dev/sdb1", DiskPrompt("２"),
                                                "found " + media("B/films/"), "unmount /dev/sdb1", DiskPrompt("３"),
                                                WrongDiskPrompt("３"), "found " + media("C/films/")}));
    EXPECT_EQ(ReadBytes(out / "movie.avi"), set.Joined());
    for (const char* disk : {"DISK1", "DISK2", "DISK3"})
        EXPECT_TRUE(std::filesystem::is_empty(tree.DiskFolder(disk) + "/films")) << disk << ": deleted as it went";
}
