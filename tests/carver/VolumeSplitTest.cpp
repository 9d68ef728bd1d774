// A removable split over a fake mount table: every disk is a volume mounted
// at a path of its own and found by the volume rule. (The whole run across
// three real volumes is the command-line volume test.)
#include <gtest/gtest.h>

#include <cstring>

#include "CarverPlatform.h"
#include "FakePlatform.h"
#include "FakeSplitterWindow.h"
#include "FakeSystemTree.h"
#include "FakeUiServices.h"
#include "SplitEngine.h"

namespace {

const std::string kDisk1 = "１枚目のﾃﾞｨｽｸをｾｯﾄして下さい";
const std::string kDisk2 = "２ 枚目のﾃﾞｨｽｸをｾｯﾄして下さい";
const std::string kConfirm3 = "分割数は *.001～*.003 の ３ です";

// Disks DISK1 and DISK2, each with films/ or not; at the question for disk k
// the disk in the reader is swapped for DISKk, mounted under its own label.
struct VolumeSplit {
    FakeSystemTree tree;
    std::unique_ptr<Drives> drives = LinuxDrivesOver(tree.Sources());
    FakeSystemInfo system;
    FakeSplitterWindow window;
    FakeUiServices ui;
    std::string content;
    std::string mounted;

    VolumeSplit(size_t length, const std::vector<std::pair<std::string, bool>>& disks)
        : content(PatternBytes(length, 11))
    {
        WriteBytes(tree.At("movie.avi"), content);
        for (const auto& [disk, withFolder] : disks) tree.MakeDisk(disk, withFolder ? "films" : "");
        modCarver::SetPlatform({drives.get(), &system, nullptr});
        modCarver::CancelRequested = false;
        ui.onQuestion = [this](const FakeUiServices::Question& q) {
            for (const auto& [question, disk] : {std::pair{kDisk1, "DISK1"}, {kDisk2, "DISK2"}}) {
                if (q.text != question || mounted == disk) continue;
                if (!mounted.empty()) tree.Unmount(tree.Media(mounted));
                tree.Mount(disk, tree.Media(disk));
                mounted = disk;
            }
        };
    }
    ~VolumeSplit() { modCarver::SetPlatform(modCarver::SystemPlatform()); }
    bool Split(const std::string& folder)
    {
        return modCarver::SplitFile(window, ui, tree.At("movie.avi"), folder, 1421000);
    }
};

TEST(VolumeSplit, NoDiskAtTheStartAsksForTheFirstAndFindsIt)
{
    VolumeSplit run(5000, {{"DISK1", true}});
    ASSERT_TRUE(run.Split(run.tree.Media("STICK/films/")));
    EXPECT_EQ(run.ui.log, (std::vector<std::string>{"分割数は *.001 の １ です", kDisk1,
                                                    "found " + run.tree.Media("DISK1/films/")}));
    EXPECT_EQ(ReadBytes(run.tree.Media("DISK1/films/movie.001")), run.content);
}

TEST(VolumeSplit, AMissingFolderOnAMountedDiskFails)
{
    const std::string failure = std::string(modCarver::kSplitFailed) + "\r\n" + std::strerror(ENOENT);
    // Disk 1 lacks the folder; or disk 1 has it and disk 2 does not.
    for (const bool firstHasFolder : {false, true}) {
        SCOPED_TRACE(firstHasFolder);
        VolumeSplit run(3000000, {{"DISK1", firstHasFolder}, {"DISK2", false}});
        run.tree.Mount("DISK1", run.tree.Media("DISK1"));
        run.mounted = "DISK1";
        EXPECT_FALSE(run.Split(run.tree.Media("DISK1/films/")));
        std::vector<std::string> log{kConfirm3, kDisk1};
        if (firstHasFolder) log.insert(log.end(), {"unmount /dev/sdb1", kDisk2, "found " + run.tree.Media("DISK2/films/")});
        log.push_back(failure);
        EXPECT_EQ(run.ui.log, log);
    }
}

}  // namespace
