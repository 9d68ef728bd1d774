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

TEST(JoinVolumes, TheFirstDiskIsLetGoAndADiskWithoutTheFolderIsTheWrongDisk)
{
    struct Case {
        const char* what;
        bool afterDelete;
        bool wrongDiskFirst;  // at the question for disk 2 a disk without films/ comes first
    };
    const Case cases[] = {{"keeping the set", false, false},
                          {"deleting as it goes", true, false},
                          {"a stranger's disk first", false, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeSystemTree tree;
        tree.MakeDisk("DISK1");
        tree.MakeDisk("DISK2");
        tree.MakeDisk("STRANGER", "");
        const TestSet set = MakeSet(tree.DiskFolder("DISK1") + "/films/", "movie.", "movie.avi", {4096, 10});
        std::filesystem::rename(set.piecePaths[1], tree.DiskFolder("DISK2") + "/films/movie.002");
        tree.Mount("DISK1", tree.Media("A"));
        const std::string joinInfo = tree.Media("A/films/movie.000");

        FakeJoinerWindow window;
        window.afterDelete = c.afterDelete;
        FakeUiServices ui("Mender");
        bool joinInfoFree = false;
        ui.onQuestion = [&](const FakeUiServices::Question& q) {
            if (q.text == DiskPrompt("２")) {
                FileLock lock;
                joinInfoFree = c.afterDelete ? !FileExists(joinInfo) : lock.Lock(joinInfo).ok();
                tree.Unmount(tree.Media("A"));
                tree.Mount(c.wrongDiskFirst ? "STRANGER" : "DISK2", tree.Media("B"));
            } else if (q.text == WrongDiskPrompt("２")) {
                tree.Unmount(tree.Media("B"));
                tree.Mount("DISK2", tree.Media("C"));
            }
        };
        std::unique_ptr<Drives> drives = LinuxDrivesOver(tree.Sources());
        modMender::JoinFiles(window, ui, joinInfo, tree.At("out"), *drives);

        EXPECT_TRUE(joinInfoFree) << "nothing on disk 1 is held open when it is swapped";
        std::vector<std::string> log{kAskJoin, "unmount /dev/sdb1", DiskPrompt("２")};
        if (c.wrongDiskFirst) log.insert(log.end(), {"found " + tree.Media("B/films/"), WrongDiskPrompt("２")});
        log.push_back("found " + tree.Media((c.wrongDiskFirst ? "C" : "B") + std::string("/films/")));
        EXPECT_EQ(ui.log, log);
        EXPECT_EQ(ReadBytes(tree.At("out/movie.avi")), set.Joined());
        EXPECT_EQ(std::filesystem::exists(tree.DiskFolder("DISK2") + "/films/movie.002"), !c.afterDelete);
    }
}
