// A removable split over a fake mount table: every disk is a volume mounted
// at a path of its own, found by the volume rule.
#include <gtest/gtest.h>

#include <cstring>

#include "CarverPlatform.h"
#include "DiskPrompt.h"
#include "FakePlatform.h"
#include "FakeSplitterWindow.h"
#include "FakeSystemTree.h"
#include "FakeUiServices.h"
#include "SplitEngine.h"

namespace {

const std::string kConfirm3 = "分割数は *.001～*.003 の ３ です";
const std::string kDisk1 = "１枚目のﾃﾞｨｽｸをｾｯﾄして下さい";
const std::string kDisk2 = "２ 枚目のﾃﾞｨｽｸをｾｯﾄして下さい";
const std::string kDisk3 = "３ 枚目のﾃﾞｨｽｸをｾｯﾄして下さい";

struct Volumes {
    FakeSystemTree tree;
    std::unique_ptr<Drives> drives = LinuxDrivesOver(tree.Sources());
    FakeSystemInfo system;
    FakeSplitterWindow window;
    FakeUiServices ui;
    TempFolder sourceDir;
    std::string content = PatternBytes(3000000, 11);

    Volumes()
    {
        tree.Device(kUsbDiskPath + "sdb", "8:16", 0);
        tree.Device(kUsbDiskPath + "sdb/sdb1", "8:17", -1);
        WriteBytes(sourceDir / "movie.avi", content);
        modCarver::SetPlatform({drives.get(), &system, nullptr});
        modCarver::CancelRequested = false;
    }
    ~Volumes() { modCarver::SetPlatform(modCarver::SystemPlatform()); }

    std::string Media(const std::string& name) const { return tree.Media() + "/" + name; }
    // At this question, the disk in the reader is swapped for `disk`, which
    // the desktop mounts under its own label.
    void SwapAt(const std::string& question, const std::string& disk)
    {
        swaps.emplace_back(question, disk);
        ui.onQuestion = [this](const FakeUiServices::Question& q) {
            for (const auto& [text, disk] : swaps) {
                if (q.text != text) continue;
                if (!mounted.empty()) tree.Unmount(Media(mounted));
                tree.Mount(disk, Media(disk), "8:17", "/dev/sdb1");
                mounted = disk;
            }
        };
    }
    bool Split(const std::string& folder) { return modCarver::SplitFile(window, ui, sourceDir / "movie.avi", folder, 1421000); }
    std::string OnDisk(const std::string& disk, const std::string& name) const
    {
        return ReadBytes(tree.DiskFolder(disk) + "/films/" + name);
    }

    std::vector<std::pair<std::string, std::string>> swaps;
    std::string mounted;
};

struct VolumeSplit : Volumes, ::testing::Test {};

TEST_F(VolumeSplit, EachDiskIsFoundUnderItsOwnLabel)
{
    for (const char* disk : {"DISK1", "DISK2", "DISK3"}) tree.MakeDisk(disk, {"films/"});
    tree.Mount("DISK1", Media("DISK1"), "8:17", "/dev/sdb1");
    mounted = "DISK1";
    SwapAt(kDisk2, "DISK2");
    SwapAt(kDisk3, "DISK3");
    ASSERT_TRUE(Split(Media("DISK1/films/")));
    EXPECT_EQ(ui.log, (std::vector<std::string>{kConfirm3, kDisk1, "unmount /dev/sdb1", kDisk2,
                                                "found " + Media("DISK2/films/"), "unmount /dev/sdb1", kDisk3,
                                                "found " + Media("DISK3/films/")}));
    EXPECT_EQ(OnDisk("DISK1", "movie.001") + OnDisk("DISK2", "movie.002") + OnDisk("DISK3", "movie.003"), content);
    EXPECT_NE(OnDisk("DISK1", "movie.000"), "");
}

TEST_F(VolumeSplit, NoDiskAtTheStartAsksForTheFirstAndFindsIt)
{
    tree.MakeDisk("BACKUP", {"films/"});
    content = PatternBytes(5000, 3);
    WriteBytes(sourceDir / "movie.avi", content);
    SwapAt(kDisk1, "BACKUP");
    ASSERT_TRUE(Split(Media("STICK/films/")));
    EXPECT_EQ(ui.log, (std::vector<std::string>{"分割数は *.001 の １ です", kDisk1,
                                                "found " + Media("BACKUP/films/")}));
    EXPECT_EQ(OnDisk("BACKUP", "movie.001"), content);
}

TEST_F(VolumeSplit, NoNewDiskAsksAgainUntilOneIsMounted)
{
    for (const char* disk : {"DISK1", "DISK2", "DISK3"}) tree.MakeDisk(disk, {"films/"});
    tree.Mount("DISK1", Media("DISK1"), "8:17", "/dev/sdb1");
    mounted = "DISK1";
    SwapAt(modCarver::DiskSpaceQuestion(), "DISK2");  // OK at the disk question with the old disk out
    SwapAt(kDisk3, "DISK3");
    ui.onQuestion = [this, swap = ui.onQuestion](const FakeUiServices::Question& q) {
        if (q.text == kDisk2) {
            tree.Unmount(Media("DISK1"));
            mounted.clear();
        }
        swap(q);
    };
    ASSERT_TRUE(Split(Media("DISK1/films/")));
    EXPECT_EQ(ui.log, (std::vector<std::string>{kConfirm3, kDisk1, "unmount /dev/sdb1", kDisk2,
                                                modCarver::DiskSpaceQuestion(), "found " + Media("DISK2/films/"),
                                                "unmount /dev/sdb1", kDisk3, "found " + Media("DISK3/films/")}));
    EXPECT_EQ(OnDisk("DISK2", "movie.002").size(), 1421312u);
}

TEST(VolumeSplitFailure, AMissingFolderOnAMountedDiskFails)
{
    const std::string failure = std::string(modCarver::kSplitFailed) + "\r\n" + std::strerror(ENOENT);
    // Disk 1 lacks the folder; or disk 1 has it and disk 2 does not.
    for (const bool firstHasFolder : {false, true}) {
        SCOPED_TRACE(firstHasFolder);
        Volumes run;
        run.tree.MakeDisk("DISK1", firstHasFolder ? std::vector<std::string>{"films/"} : std::vector<std::string>{});
        run.tree.MakeDisk("DISK2");
        run.tree.Mount("DISK1", run.Media("DISK1"), "8:17", "/dev/sdb1");
        run.mounted = "DISK1";
        run.SwapAt(kDisk2, "DISK2");
        EXPECT_FALSE(run.Split(run.Media("DISK1/films/")));
        std::vector<std::string> log{kConfirm3, kDisk1};
        if (firstHasFolder) log.insert(log.end(), {"unmount /dev/sdb1", kDisk2, "found " + run.Media("DISK2/films/")});
        log.push_back(failure);
        EXPECT_EQ(run.ui.log, log);
    }
}

}  // namespace
