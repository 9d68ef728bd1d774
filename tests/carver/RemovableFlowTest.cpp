#include <gtest/gtest.h>

#include <cstring>

#include "DiskPrompt.h"
#include "Manifest.h"
#include "Sha256SumCheck.h"
#include "SplitTestSupport.h"

namespace {

using Files = std::vector<std::string>;

const std::string kConfirm3 = "分割数は *.001～*.003 の ３ です";
const std::string kDisk1 = "１枚目のﾃﾞｨｽｸをｾｯﾄして下さい";
const std::string kDisk2 = "２ 枚目のﾃﾞｨｽｸをｾｯﾄして下さい";
const std::string kDisk3 = "３ 枚目のﾃﾞｨｽｸをｾｯﾄして下さい";
const std::string kRemoved = "ﾃﾞｨｽｸが抜かれました　ｾｯﾄして下さい";

// A removable destination whose disks are swapped at every disk question:
// what the previous disk holds is moved away into a folder of its own.
struct RemovableRun : SplitRunTest {
    TempFolder shelf;  // the disks taken out, one folder each
    int disksTakenOut = 0;

    RemovableRun()
    {
        platform.drives.removable = true;
        MakeSource(3000000);
        ui.onQuestion = [this](const FakeUiServices::Question& q) {
            if (q.text.find(" 枚目のﾃﾞｨｽｸをｾｯﾄして下さい") != std::string::npos) TakeOutDisk();
        };
    }

    void TakeOutDisk()
    {
        const std::string disk = shelf / ("disk" + std::to_string(++disksTakenOut));
        std::filesystem::create_directory(disk);
        for (const auto& name : FilesIn(dest.Path()))
            std::filesystem::rename(dest / name, disk + "/" + name);
    }
    std::vector<std::string> Disk(int k) { return FilesIn(shelf / ("disk" + std::to_string(k))); }
};

TEST_F(RemovableRun, EveryPieceGoesOnADiskOfItsOwnInOrder)
{
    window.batchMake = true;
    ASSERT_TRUE(Split(1421000));
    EXPECT_EQ(ui.Texts(), (Files{kConfirm3, kDisk1, kDisk2, kDisk3}));
    EXPECT_EQ(Disk(1), (Files{"movie.000", "movie.001", "movie.bat"}));
    EXPECT_EQ(Disk(2), (Files{"movie.002"}));
    EXPECT_EQ(FilesIn(dest.Path()), (Files{"movie.003"}));
    EXPECT_EQ(ReadBytes(shelf / "disk1/movie.001") + ReadBytes(shelf / "disk2/movie.002") + ReadBytes(dest / "movie.003"),
              content);
    EXPECT_FALSE(window.box.visible);
}

// Each disk's manifest repeats the lines of the disks before it: a joiner
// tells the disks of this set from another's, and the last one lists the set.
TEST_F(RemovableRun, EveryDiskRepeatsTheLinesOfTheDisksBeforeIt)
{
    window.manifest = true;
    ASSERT_TRUE(Split(1421000));
    EXPECT_EQ(Disk(1), (Files{"movie.000", "movie.001", "movie.sha256"}));
    EXPECT_EQ(Disk(2), (Files{"movie.002", "movie.sha256"}));
    EXPECT_EQ(FilesIn(dest.Path()), (Files{"movie.003", "movie.sha256"}));
    const std::string folders[] = {shelf / "disk1/", shelf / "disk2/", dest.Path()};
    std::vector<ManifestEntry> before;
    for (int k = 1; k <= 3; ++k) {
        const std::string& folder = folders[k - 1];
        Manifest m;
        ASSERT_TRUE(Manifest::Read(folder + "movie.sha256", m).ok()) << folder;
        ASSERT_EQ(m.Entries().size(), static_cast<size_t>(k)) << folder;
        EXPECT_EQ(std::vector<ManifestEntry>(m.Entries().begin(), m.Entries().end() - 1), before) << folder;
        EXPECT_EQ(m.Entries().back().name, "movie.00" + std::to_string(k));
        before = m.Entries();
        const Sha256SumResult r = RunSha256SumCheck(folder, "movie.sha256", true);
        EXPECT_EQ(r.status, 0) << folder << r.output;
    }
    // Gathered in one folder, the set checks with the last disk's manifest alone.
    for (int k = 1; k <= 2; ++k)
        std::filesystem::rename(shelf / ("disk" + std::to_string(k) + "/movie.00" + std::to_string(k)),
                                dest / ("movie.00" + std::to_string(k)));
    const Sha256SumResult r = RunSha256SumCheck(dest.Path(), "movie.sha256");
    EXPECT_EQ(r.status, 0) << r.output;
}

TEST_F(RemovableRun, ASourceShorterThanTheSizeAsksOnlyForTheFirstDisk)
{
    MakeSource(1000);
    ASSERT_TRUE(Split(1421000));
    EXPECT_EQ(ui.Texts(), (Files{"分割数は *.001 の １ です", kDisk1}));
}

TEST_F(RemovableRun, ADiskPulledAfterAPieceIsAskedForAgain)
{
    int listings = 0;
    platform.drives.canList = [&](const std::string&) { return ++listings > 2; };  // unreadable twice
    ASSERT_TRUE(Split(1421000));
    EXPECT_EQ(ui.Texts(), (Files{kConfirm3, kDisk1, kRemoved, kRemoved, kDisk2, kDisk3}));
    EXPECT_EQ(window.statusTexts[window.statusTexts.size() - 1], "");
    EXPECT_NE(std::find(window.statusTexts.begin(), window.statusTexts.end(), "ﾃﾞｨｽｸ確認中..."),
              window.statusTexts.end());
}

TEST_F(RemovableRun, TheDiskCheckWantsTheFolderBackOnTheSameMount)
{
    // The disk comes back mounted elsewhere once, then where it was.
    int checks = 0;
    ui.onQuestion = [&](const FakeUiServices::Question& q) {
        if (q.text == kRemoved) platform.drives.root = ++checks == 1 ? "/media/other" : "/";
    };
    int listings = 0;
    platform.drives.canList = [&](const std::string&) {
        if (++listings == 1) platform.drives.root = "/media/other";
        return true;
    };
    ASSERT_TRUE(Split(1421000));
    EXPECT_EQ(ui.Texts(), (Files{kConfirm3, kDisk1, kRemoved, kRemoved, kDisk2, kDisk3}));
}

// Each disk is a volume of its own, found by the volume rule over the fake's
// mount table.
TEST_F(RemovableRun, NoDiskAtTheStartIsAskedForAndFoundWhereItIsMounted)
{
    MakeSource(1000);
    const std::string stick = dest / "STICK";
    platform.drives.root = stick;
    platform.drives.mounts = {};
    ui.onQuestion = [&](const FakeUiServices::Question& q) {
        if (q.text != kDisk1) return;
        std::filesystem::create_directories(stick + "/films");
        platform.drives.mounts = {{7, stick, "/dev/sdb1", true}};
    };
    ASSERT_TRUE(modCarver::SplitFile(window, ui, source, stick + "/films/", 1421000));
    EXPECT_EQ(ui.log, (Files{"分割数は *.001 の １ です", kDisk1, "found " + stick + "/films/"}));
    EXPECT_EQ(ReadBytes(stick + "/films/movie.001"), content);
}

TEST_F(RemovableRun, AMissingFolderOnAMountedDiskEndsWithTheFailureMessage)
{
    const std::string failure = std::string(modCarver::kSplitFailed) + "\r\n" + std::strerror(ENOENT);
    // Disk 1 lacks the folder; or disk 1 has it and disk 2, under a new label, does not.
    for (const bool firstHasFolder : {false, true}) {
        SCOPED_TRACE(firstHasFolder);
        const std::string disk1 = dest / ("DISK1-" + std::to_string(firstHasFolder));
        const std::string disk2 = dest / ("DISK2-" + std::to_string(firstHasFolder));
        std::filesystem::create_directories(firstHasFolder ? disk1 + "/films" : disk1);
        std::filesystem::create_directories(disk2);
        platform.drives.root = disk1;
        platform.drives.mounts = {{7, disk1, "/dev/sdb1", true}};
        FakeSplitterWindow shown;
        FakeUiServices asked;
        asked.onQuestion = [&](const FakeUiServices::Question& q) {
            // The kernel gives the new volume the number of the one it replaced.
            if (q.text == kDisk2) platform.drives.mounts = {{7, disk2, "/dev/sdb1", true}};
        };
        EXPECT_FALSE(modCarver::SplitFile(shown, asked, source, disk1 + "/films/", 1421000));
        Files log{kConfirm3, kDisk1};
        if (firstHasFolder) log.insert(log.end(), {"unmount /dev/sdb1", kDisk2, "found " + disk2 + "/films/"});
        log.push_back(failure);
        EXPECT_EQ(asked.log, log);
    }
}

// Where the user gives up, and what that leaves on the window and the disk.
struct GiveUpCase {
    const char* where;
    std::vector<MsgAnswer> answers;
    std::function<void(FakeDrives&, int& listings)> arrange;
    std::vector<std::string> expectedTexts;
    bool boxShown;
    bool labelKept;     // the piece range is still on lblAfter
    std::string status; // the status panel afterwards
    std::vector<std::string> destination;
};

struct GiveUp : RemovableRun, ::testing::WithParamInterface<GiveUpCase> {};

TEST_P(GiveUp, LeavesTheWindowAndTheDisksAsDesigned)
{
    const GiveUpCase& c = GetParam();
    for (const MsgAnswer a : c.answers) ui.Answer({a});
    int listings = 0;
    if (c.arrange) c.arrange(platform.drives, listings);
    EXPECT_TRUE(Split(1421000));
    EXPECT_EQ(ui.Texts(), c.expectedTexts);
    EXPECT_EQ(window.box.visible, c.boxShown);
    EXPECT_EQ(window.pieceRange, c.labelKept ? "*.001～*.003" : "");
    EXPECT_EQ(window.statusText, c.status);
    EXPECT_EQ(FilesIn(dest.Path()), c.destination);
}

const std::string kAsk = modCarver::DiskSpaceQuestion();
constexpr auto Ok = MsgAnswer::Ok;
constexpr auto Cancel = MsgAnswer::Cancel;

INSTANTIATE_TEST_SUITE_P(
    RemovableFlow, GiveUp,
    ::testing::Values(
        GiveUpCase{"at the confirmation", {Cancel}, nullptr, {kConfirm3}, false, false, "(untouched)", {}},
        GiveUpCase{"at the first disk", {Ok, Cancel}, nullptr, {kConfirm3, kDisk1}, false, false, "(untouched)", {}},
        GiveUpCase{"at the second disk",
                   {Ok, Ok, Cancel},
                   nullptr,
                   {kConfirm3, kDisk1, kDisk2},
                   true, false, "ﾃﾞｨｽｸ確認中...", {}},
        GiveUpCase{"at the space question before piece 002",
                   {Ok, Ok, Ok, Cancel},
                   [](FakeDrives& d, int&) {
                       d.onQueryFreeSpace = [&d](const std::string&) {
                           if (d.freeSpaceQueries.size() > 2) d.freeSpace = {true, 10, 10, 10};
                       };
                   },
                   {kConfirm3, kDisk1, kDisk2, kAsk},
                   true, false, "ﾃﾞｨｽｸ確認中...", {}},
        GiveUpCase{"at the pulled-disk question after piece 001",
                   {Ok, Ok, Cancel},
                   [](FakeDrives& d, int&) { d.canListRoot = false; },
                   {kConfirm3, kDisk1, kRemoved},
                   true, true, "ﾃﾞｨｽｸ確認中...", {"movie.000", "movie.001"}},
        GiveUpCase{"at the space question of the disk check",
                   {Ok, Ok, Ok, Cancel},
                   [](FakeDrives& d, int&) {
                       d.canListRoot = false;
                       d.onQueryFreeSpace = [&d](const std::string&) {
                           if (d.freeSpaceQueries.size() > 2) d.freeSpace = {};
                       };
                   },
                   {kConfirm3, kDisk1, kRemoved, kAsk},
                   true, true, "ﾃﾞｨｽｸ確認中...", {"movie.000", "movie.001"}},
        GiveUpCase{"at the third disk",
                   {Ok, Ok, Ok, Cancel},
                   nullptr,
                   {kConfirm3, kDisk1, kDisk2, kDisk3},
                   true, false, "ﾃﾞｨｽｸ確認中...", {}},
        GiveUpCase{"at the space question before the final piece",
                   {Ok, Ok, Ok, Ok, Cancel},
                   [](FakeDrives& d, int&) {
                       // Room for the full pieces, not for the 161,472 bytes left.
                       d.onQueryFreeSpace = [&d](const std::string&) {
                           if (d.freeSpaceQueries.size() > 3) d.freeSpace = {true, 1000, 1000, 1000};
                       };
                   },
                   {kConfirm3, kDisk1, kDisk2, kDisk3, kAsk},
                   true, true, "ﾃﾞｨｽｸ確認中...", {}}),
    [](const ::testing::TestParamInfo<GiveUpCase>& info) { return "case" + std::to_string(info.index); });

// The free space measured after the join-info file decides the size of piece
// 001; with a manifest to come, the disk keeps room for it, and the disk
// question asks for that room too.
struct RoomCase {
    bool manifest;
    uint64_t freeAtQuestion;  // the first measure, before anything is written
    uint64_t freeForPieceOne; // the second, after the join-info file
    std::vector<std::string> expectedTexts;
    int64_t pieceOne;  // bytes of piece 001; 0 when none was written
};

struct Room : RemovableRun, ::testing::WithParamInterface<RoomCase> {};

TEST_P(Room, TheFirstDiskKeepsRoomForItsManifest)
{
    const RoomCase& c = GetParam();
    window.manifest = c.manifest;
    MakeSource(1000000);
    platform.drives.onQueryFreeSpace = [&](const std::string&) {
        const size_t n = platform.drives.freeSpaceQueries.size();
        platform.SetFree(n == 1 ? c.freeAtQuestion : n == 2 ? c.freeForPieceOne : 2000000);
    };
    ui.Answer({Ok, Ok, Cancel});
    EXPECT_TRUE(Split(700000));
    EXPECT_EQ(ui.Texts(), c.expectedTexts);
    const std::string piece = shelf / "disk1/movie.001";  // taken out at the question for disk 2
    EXPECT_EQ(FileExists(piece) ? FileLength(piece) : 0, c.pieceOne);
}

const std::string kConfirm2 = "分割数は *.001～*.002 の ２ です";

INSTANTIATE_TEST_SUITE_P(
    RemovableFlow, Room,
    ::testing::Values(
        // Just room for the piece: without a manifest it leaves 3,680 bytes,
        // with one it leaves 11,872.
        RoomCase{false, 2000000, 700000, {kConfirm2, kDisk1, kDisk2}, 696320},
        RoomCase{true, 2000000, 700000, {kConfirm2, kDisk1, kDisk2}, 688128},
        // Room for the split size but not for the manifest beside it.
        RoomCase{false, 703000, 703000, {kConfirm2, kDisk1, kDisk2}, 696320},
        RoomCase{true, 703000, 703000, {kConfirm2, kDisk1, kAsk}, 0}),
    [](const ::testing::TestParamInfo<RoomCase>& info) { return "case" + std::to_string(info.index); });


// -r on removable disks: the index on every disk with a piece, the volumes
// after the last piece on the room left there, then on further disks asked
// for by number. Cancel there leaves a whole set without its recovery data.
struct RecoveryDiskCase {
    uint64_t lastDiskFree;              // while piece 003 is on the disk; 0: plenty
    std::vector<MsgAnswer> answers;     // after the confirmation and the three disks
    bool oldVolumeOnDisk4;              // another set's volume there
    std::vector<std::string> texts;     // after the confirmation and the three disks
    std::vector<std::string> disk3, disk4;
    int recoveryStops;
};

struct RecoveryDisks : RemovableRun, ::testing::WithParamInterface<RecoveryDiskCase> {};

TEST_P(RecoveryDisks, FollowTheLastPieceDiskByDisk)
{
    const RecoveryDiskCase& c = GetParam();
    window.recovery = modCarver::RecoveryRequest{2, 0};
    ui.onQuestion = [&](const FakeUiServices::Question& q) {
        if (q.text.find(" 枚目のﾃﾞｨｽｸをｾｯﾄして下さい") == std::string::npos) return;
        TakeOutDisk();
        if (q.text == "４ 枚目のﾃﾞｨｽｸをｾｯﾄして下さい" && c.oldVolumeOnDisk4) WriteBytes(dest / "movie.vol5+1.par2", "old");
    };
    platform.drives.onQueryFreeSpace = [&](const std::string&) {
        const bool lastPieceIn = FileExists(dest / "movie.003") && c.lastDiskFree > 0;
        platform.SetFree(lastPieceIn ? c.lastDiskFree : uint64_t{1} << 40);
    };
    ui.Answer({MsgAnswer::Ok, MsgAnswer::Ok, MsgAnswer::Ok, MsgAnswer::Ok});
    for (const MsgAnswer a : c.answers) ui.Answer({a});
    EXPECT_TRUE(Split(1421000));
    Files texts{kConfirm3, kDisk1, kDisk2, kDisk3};
    texts.insert(texts.end(), c.texts.begin(), c.texts.end());
    EXPECT_EQ(ui.Texts(), texts);
    EXPECT_EQ(Disk(1), (Files{"movie.000", "movie.001", "movie.par2"}));
    EXPECT_EQ(Disk(2), (Files{"movie.002", "movie.par2"}));
    const bool fourthDisk = !c.texts.empty();  // disk 3 was taken out for it
    EXPECT_EQ(fourthDisk ? Disk(3) : FilesIn(dest.Path()), c.disk3);
    if (fourthDisk) {
        EXPECT_EQ(FilesIn(dest.Path()), c.disk4);
    }
    EXPECT_EQ(ReadBytes(shelf / "disk1/movie.par2"), ReadBytes(shelf / "disk2/movie.par2"));
    EXPECT_EQ(window.recoveryStops, c.recoveryStops);
}

const std::string kDisk4 = "４ 枚目のﾃﾞｨｽｸをｾｯﾄして下さい";
const std::string kOldVolume = "分割先に「movie.vol5+1.par2」があります　上書きしますか";

INSTANTIATE_TEST_SUITE_P(
    RemovableFlow, RecoveryDisks,
    ::testing::Values(
        RecoveryDiskCase{0, {}, false, {},
                         {"movie.003", "movie.par2", "movie.vol0+1.par2", "movie.vol1+1.par2"}, {}, 0},
        // Room for one volume beside the last piece.
        RecoveryDiskCase{1'500'000, {Ok}, false, {kDisk4},
                         {"movie.003", "movie.par2", "movie.vol0+1.par2"}, {"movie.par2", "movie.vol1+1.par2"}, 0},
        RecoveryDiskCase{1000, {Cancel}, false, {kDisk4}, {"movie.003", "movie.par2"}, {}, 1},
        RecoveryDiskCase{1000, {Ok, MsgAnswer::Yes}, true, {kDisk4, kOldVolume},
                         {"movie.003", "movie.par2"}, {"movie.par2", "movie.vol0+1.par2", "movie.vol1+1.par2"}, 0},
        RecoveryDiskCase{1000, {Ok, MsgAnswer::No}, true, {kDisk4, kOldVolume},
                         {"movie.003", "movie.par2"}, {"movie.vol5+1.par2"}, 1}),
    [](const ::testing::TestParamInfo<RecoveryDiskCase>& info) { return "case" + std::to_string(info.index); });

}  // namespace
