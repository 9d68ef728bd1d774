// A join from a removable drive over a fake mount table: each disk of the set
// is a volume mounted at a path of its own and found by the volume rule.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "FakeSystemTree.h"
#include "JoinTestSupport.h"
#include "RecoveryWriter.h"
#include "VolumeNames.h"
#include "modMender.h"

namespace {

// Disk k's manifest, as the splitter writes it: its piece, and the lines of
// the disks before it.
void WriteDiskManifest(const TestSet& set, int k, const std::string& folder)
{
    std::vector<int> lines;
    for (int j = 1; j <= k; ++j) lines.push_back(j);
    WriteSetManifest(set, lines, false, folder);
}

}  // namespace

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
        for (const int k : {1, 2, 3}) WriteDiskManifest(set, k, tree.DiskFolder("DISK" + std::to_string(k)) + "/films/");
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

// Disk by disk with recovery data, as the splitter leaves it: every disk has
// the index, and the recovery volumes (one slice each) follow on the disk
// after the last piece's. A disk that cannot be found is left out (いいえ at
// the wrong-disk question) as a hole of its piece's size, and rebuilt once
// the disks after the last piece's have brought recovery slices enough.
TEST(JoinVolumes, ALostDiskIsRebuiltFromTheRecoveryDisksAfterTheLast)
{
    struct Case {
        const char* what;
        std::vector<int> lost;  // disks that cannot be found
        uint32_t volumes;       // recovery slices, on disk 4
        bool afterDelete;
        std::string failure;    // empty: the file is rebuilt
        // Disks whose piece is damaged, and whether the set has its manifest
        // (without one only the slices' MD5s tell, once the join is done).
        std::vector<int> damaged = {};
        bool manifest = true;
    } cases[] = {
        {"disk 2 lost, deleting as it goes", {2}, 2, true, ""},
        {"disk 1's piece lost, keeping the set", {}, 1, false, ""},
        {"disks 2 and 3 lost, one recovery slice", {2, 3}, 1, true,
         "「movie.002」「movie.003」を修復できません　修復用ﾃﾞｰﾀがあと 1 ｽﾗｲｽ必要です"},
        {"disk 2's piece damaged, no manifest, deleting as it goes", {}, 1, true, "", {2}, false},
        {"disk 2 lost and disk 3's piece damaged, no manifest, keeping the set", {2}, 2, false, "", {3}, false},
        {"disks 1 and 3 damaged, no manifest, one recovery slice", {}, 1, true,
         "「movie.001」「movie.003」を修復できません　修復用ﾃﾞｰﾀがあと 1 ｽﾗｲｽ必要です", {1, 3}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeSystemTree tree;
        for (const char* disk : {"DISK1", "DISK2", "DISK3", "DISK4"}) tree.MakeDisk(disk);
        const TestSet set = MakeSet(tree.DiskFolder("DISK1") + "/films/", "movie.", "movie.avi", {5000, 5000, 123});
        std::vector<par2::InputFile> inputs;
        for (size_t k = 0; k < 3; ++k)
            inputs.push_back({"movie.00" + std::to_string(k + 1), {set.piecePaths[k], 0, set.pieces[k].size()}});
        par2::RecoveryDescription d;
        ASSERT_TRUE(par2::DescribeInputs(inputs, 5000, d));
        std::vector<std::string> volumes;
        for (const std::string& n : par2::VolumeFileNames("movie", par2::SingleSliceVolumes(c.volumes)))
            volumes.push_back(tree.DiskFolder("DISK4") + "/films/" + n);
        ASSERT_TRUE(par2::WriteVolumes(d, par2::SingleSliceVolumes(c.volumes), volumes));
        for (const int k : {1, 2, 3, 4}) {
            const std::string folder = tree.DiskFolder("DISK" + std::to_string(k)) + "/films/";
            ASSERT_TRUE(par2::WriteIndexFile(d, folder + "movie.par2"));
            if (k > 1 && k < 4) std::filesystem::rename(set.piecePaths[k - 1], folder + "movie.00" + std::to_string(k));
            if (k < 4 && c.manifest) WriteDiskManifest(set, k, folder);
            if (std::count(c.damaged.begin(), c.damaged.end(), k) != 0) {
                const std::string piece = folder + "movie.00" + std::to_string(k);
                std::string bytes = ReadBytes(piece);
                bytes[bytes.size() / 2] ^= 0x20;
                WriteBytes(piece, bytes);
            }
        }
        // Piece 1 lost from the disk that keeps the set's description.
        if (c.lost.empty() && c.damaged.empty()) std::filesystem::remove(set.piecePaths[0]);
        tree.Mount("DISK1", tree.Media("A"));
        const std::string joinInfo = tree.Media("A/films/movie.000");

        FakeJoinerWindow window;
        window.afterDelete = c.afterDelete;
        FakeUiServices ui("Mender");
        bool mounted = true;
        ui.onQuestion = [&](const FakeUiServices::Question& q) {
            for (const int disk : {2, 3, 4}) {
                if (q.text != DiskPrompt(disk == 2 ? "２" : disk == 3 ? "３" : "４")) continue;
                if (mounted) tree.Unmount(tree.Media("A"));
                mounted = std::find(c.lost.begin(), c.lost.end(), disk) == c.lost.end();
                if (mounted) tree.Mount("DISK" + std::to_string(disk), tree.Media("A"));
            }
            // The wrong-disk question that offers going on without the piece.
            if (q.buttons == MsgButtons::YesNoCancel) ui.Answer({MsgAnswer::No});
            // There is no disk 5.
            if (q.text == DiskPrompt("５")) ui.Answer({MsgAnswer::Cancel});
        };
        std::unique_ptr<Drives> drives = LinuxDrivesOver(tree.Sources());
        modMender::JoinFiles(window, ui, joinInfo, tree.At("out"), *drives);

        const std::vector<std::string> texts = ui.Texts();
        if (c.failure.empty()) {
            EXPECT_EQ(ReadBytes(tree.At("out/movie.avi")), set.Joined());
            EXPECT_EQ(window.rebuilt.size(), std::max<size_t>(1, c.lost.size() + c.damaged.size()));
            EXPECT_EQ(texts.back(), DiskPrompt("４")) << "the recovery disk is asked for after the last piece's";
            // A damaged piece without a line is never deleted: its disk left before its slices were checked.
            for (const int k : c.damaged)
                EXPECT_TRUE(std::filesystem::exists(tree.DiskFolder("DISK" + std::to_string(k)) + "/films/movie.00" +
                                                    std::to_string(k)));
            // The recovery files go with the set, from the disk in the drive.
            EXPECT_EQ(std::filesystem::is_empty(tree.DiskFolder("DISK4") + "/films"), c.afterDelete);
        } else {
            ASSERT_FALSE(texts.empty());
            EXPECT_NE(texts.back().find(c.failure), std::string::npos) << texts.back();
            EXPECT_EQ(NamesIn(tree.DiskFolder("DISK4") + "/films").size(), 2u) << "nothing deleted there";
            // Piece 1 went only once it was in the rebuilt file and matched
            // its line; a damaged one without a line stays.
            const std::vector<std::string> disk1 =
                c.manifest ? std::vector<std::string>{"movie.000", "movie.par2", "movie.sha256"}
                           : std::vector<std::string>{"movie.000", "movie.001", "movie.par2"};
            EXPECT_EQ(NamesIn(tree.DiskFolder("DISK1") + "/films"), disk1);
            // A rerun with the recovery disks finishes the join: the state records the holes.
            if (!c.lost.empty()) {
                EXPECT_NE(ReadBytes(tree.At("out/.movie.avi.mender-resume")).find(" - hole\n"), std::string::npos);
            }
        }
        EXPECT_FALSE(std::filesystem::exists(tree.At("out/.movie.avi.mender-resume.rec"))) << "no recovery slices left behind";
    }
}
