// A join from a removable drive over a fake mount table: each disk of the set
// is a volume mounted at a path of its own and found by the volume rule.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "FakeSystemTree.h"
#include "JoinTestSupport.h"
#include "modMender.h"

TEST(JoinVolumes, EachDiskIsFoundWhereTheDesktopMountsIt)
{
    // What the user does at a question: volumes out and in.
    using Swap = std::function<void(FakeSystemTree&, const std::string& question)>;
    struct Case {
        const char* what;
        bool afterDelete;
        Swap swap;
        std::vector<std::string> log;  // after the first question; "B" stands for the volume media/user/B/films/
    };
    auto move = [](FakeSystemTree& t, const char* out, const char* disk, const char* in) {
        t.Unmount(t.Media(out));
        t.Mount(disk, t.Media(in));
    };
    const Case cases[] = {
        {"deleting as it goes; another stick plugged in beside disk 3", true,
         [&](FakeSystemTree& t, const std::string& q) {
             if (q == DiskPrompt("２")) move(t, "A", "DISK2", "B");
             if (q == DiskPrompt("３")) {
                 move(t, "B", "DISK3", "C");
                 t.Mount("OTHER", t.Media("D"), "8:33", "/dev/sdc1");
             }
             if (q == WrongDiskPrompt("３")) t.Unmount(t.Media("D"));
         },
         {"unmount", DiskPrompt("２"), "B", "unmount", DiskPrompt("３"), WrongDiskPrompt("３"), "C"}},
        {"keeping the set", false,
         [&](FakeSystemTree& t, const std::string& q) {
             if (q == DiskPrompt("２")) move(t, "A", "DISK2", "B");
             if (q == DiskPrompt("３")) move(t, "B", "DISK3", "A");
         },
         {"unmount", DiskPrompt("２"), "B", "unmount", DiskPrompt("３"), "A"}},
        {"a disk without the folder first, then the right one elsewhere", false,
         [&](FakeSystemTree& t, const std::string& q) {
             if (q == DiskPrompt("２")) move(t, "A", "OTHER", "B");
             if (q == WrongDiskPrompt("２")) move(t, "B", "DISK2", "C");
             if (q == DiskPrompt("３")) move(t, "C", "DISK3", "C");
         },
         {"unmount", DiskPrompt("２"), "B", WrongDiskPrompt("２"), "C", "unmount", DiskPrompt("３"), "C"}},
        // Its own manifest vouches for its piece, but not for this set's piece 1.
        {"deleting as it goes; disk 2 of another set of the same name first", true,
         [&](FakeSystemTree& t, const std::string& q) {
             if (q == DiskPrompt("２")) move(t, "A", "OTHERSET2", "B");
             if (q == WrongDiskPrompt("２")) move(t, "B", "DISK2", "B");
             if (q == DiskPrompt("３")) move(t, "B", "DISK3", "B");
         },
         {"unmount", DiskPrompt("２"), "B", WrongDiskPrompt("２"), "unmount", DiskPrompt("３"), "B"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeSystemTree tree;
        // The set as the split left it: the join-info file and piece 1 on DISK1,
        // piece 2 on DISK2, piece 3 on DISK3, each in films/.
        for (const char* disk : {"DISK1", "DISK2", "DISK3", "OTHERSET2"}) tree.MakeDisk(disk);
        tree.MakeDisk("OTHER", "");
        const TestSet set = MakeSet(tree.DiskFolder("DISK1") + "/films/", "movie.", "movie.avi", {5000, 4096, 123});
        for (const int k : {2, 3})
            std::filesystem::rename(set.piecePaths[k - 1], tree.DiskFolder("DISK" + std::to_string(k)) +
                                                               "/films/movie.00" + std::to_string(k));
        // Each disk's manifest lists its piece and repeats the disks before it.
        for (const int k : {1, 2, 3}) {
            std::vector<int> lines;
            for (int j = 1; j <= k; ++j) lines.push_back(j);
            WriteSetManifest(set, lines, false, tree.DiskFolder("DISK" + std::to_string(k)) + "/films/");
        }
        // Disk 2 of another set of the same name, whole in itself.
        const std::string other = tree.DiskFolder("OTHERSET2") + "/films/";
        TestSet otherSet = MakeSet(tree.At("otherset/"), "movie.", "movie.avi", {5000, 4096, 123});
        otherSet.pieces[0][0] ^= 1;  // its piece 1 is not this set's
        std::filesystem::rename(otherSet.piecePaths[1], other + "movie.002");
        WriteSetManifest(otherSet, {1, 2}, false, other);
        tree.Mount("DISK1", tree.Media("A"));
        const std::string joinInfo = tree.Media("A/films/movie.000");

        FakeJoinerWindow window;
        window.afterDelete = c.afterDelete;
        FakeUiServices ui("Mender");
        bool joinInfoFree = false;
        ui.onQuestion = [&](const FakeUiServices::Question& q) {
            if (q.text == DiskPrompt("２")) {
                FileLock lock;
                joinInfoFree = lock.Lock(joinInfo).ok();
            }
            c.swap(tree, q.text);
        };
        std::unique_ptr<Drives> drives = LinuxDrivesOver(tree.Sources());
        modMender::JoinFiles(window, ui, joinInfo, tree.At("out"), *drives);

        EXPECT_TRUE(joinInfoFree) << "nothing on disk 1 is held open when it is swapped";
        std::vector<std::string> log{kAskJoin};
        for (const std::string& entry : c.log)
            log.push_back(entry == "unmount"   ? "unmount /dev/sdb1"
                          : entry.size() == 1 ? "found " + tree.Media(entry + "/films/")
                                              : entry);
        EXPECT_EQ(ui.log, log);
        EXPECT_EQ(ReadBytes(tree.At("out/movie.avi")), set.Joined());
        // The first disk keeps the set's description until the join is over:
        // it is not in the drive then.
        const std::vector<std::string> firstDisk{"movie.000", "movie.sha256"};
        const std::vector<std::string> wholeDisk{"movie.000", "movie.001", "movie.sha256"};
        EXPECT_EQ(NamesIn(tree.DiskFolder("DISK1") + "/films"), c.afterDelete ? firstDisk : wholeDisk);
        for (const char* disk : {"DISK2", "DISK3"})
            EXPECT_EQ(std::filesystem::is_empty(tree.DiskFolder(disk) + "/films"), c.afterDelete) << disk;
        EXPECT_EQ(NamesIn(other), (std::vector<std::string>{"movie.002", "movie.sha256"})) << "the other set is untouched";
        if (c.afterDelete) {
            ASSERT_FALSE(window.notes.empty());
            EXPECT_EQ(window.notes.back(), joinInfo + ": １枚目のﾃﾞｨｽｸがﾄﾞﾗｲﾌﾞにないので残しました");
        }
    }
}
