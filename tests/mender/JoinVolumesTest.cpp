// A join from a removable drive over a fake mount table: each disk of the set
// is a volume mounted at a path of its own and found by the volume rule.
#include <gtest/gtest.h>

#include <filesystem>

#include "FakeSystemTree.h"
#include "JoinTestSupport.h"
#include "modMender.h"

TEST(JoinVolumes, EachDiskIsFoundWhereTheDesktopMountsIt)
{
    FakeSystemTree tree;
    // The set as the split left it: the join-info file and piece 1 on DISK1,
    // piece 2 on DISK2, piece 3 on DISK3, each in films/.
    for (const char* disk : {"DISK1", "DISK2", "DISK3", "OTHER"}) tree.MakeDisk(disk);
    const TestSet set = MakeSet(tree.DiskFolder("DISK1") + "/films/", "movie.", "movie.avi", {5000, 4096, 123});
    for (const int k : {2, 3})
        std::filesystem::rename(set.piecePaths[k - 1], tree.DiskFolder("DISK" + std::to_string(k)) + "/films/movie.00" +
                                                           std::to_string(k));
    tree.Mount("DISK1", tree.Media("A"));

    FakeJoinerWindow window;
    window.afterDelete = true;
    FakeUiServices ui("Mender");
    ui.onQuestion = [&](const FakeUiServices::Question& q) {
        if (q.text == DiskPrompt("２")) {
            tree.Unmount(tree.Media("A"));
            tree.Mount("DISK2", tree.Media("B"));
        } else if (q.text == DiskPrompt("３")) {
            // Disk 3 in the reader, and another stick plugged in as well.
            tree.Unmount(tree.Media("B"));
            tree.Mount("DISK3", tree.Media("C"));
            tree.Mount("OTHER", tree.Media("D"), "8:33", "/dev/sdc1");
        } else if (q.text == WrongDiskPrompt("３")) {
            tree.Unmount(tree.Media("D"));
        }
    };
    std::unique_ptr<Drives> drives = LinuxDrivesOver(tree.Sources());
    modMender::JoinFiles(window, ui, tree.Media("A/films/movie.000"), tree.At("out"), *drives);

    EXPECT_EQ(ui.log, (std::vector<std::string>{kAskJoin, "unmount /dev/sdb1", DiskPrompt("２"),
                                                "found " + tree.Media("B/films/"), "unmount /dev/sdb1",
                                                DiskPrompt("３"), WrongDiskPrompt("３"),
                                                "found " + tree.Media("C/films/")}));
    EXPECT_EQ(ReadBytes(tree.At("out/movie.avi")), set.Joined());
    for (const char* disk : {"DISK1", "DISK2", "DISK3"})
        EXPECT_TRUE(std::filesystem::is_empty(tree.DiskFolder(disk) + "/films")) << disk << ": deleted as it went";
}
