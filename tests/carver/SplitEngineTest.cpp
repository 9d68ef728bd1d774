#include <gtest/gtest.h>

#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include "SplitTestSupport.h"

namespace {

using Files = std::vector<std::string>;

const std::string kFailure = "ﾌｧｲﾙ分割失敗 原因を調査後再度実行して下さい\r\n";

TEST_F(SplitRunTest, TheFloppyPresetExample)
{
    MakeSource(3000000);
    ASSERT_TRUE(Split(1421000));

    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(ui.questions[0].text, "分割数は *.001～*.003 の ３ です");
    EXPECT_EQ(ui.questions[0].buttons, MsgButtons::OkCancel);
    EXPECT_EQ(ui.questions[0].icon, MsgIcon::Warning);
    EXPECT_EQ(ui.questions[0].caption, "Carver");
    EXPECT_EQ(window.pieceRanges.front(), "*.001～*.003");

    EXPECT_EQ(PieceSizes(), (std::vector<int64_t>{1417216, 1421312, 161472}));
    EXPECT_EQ(ReadBytes(dest / "movie.000"), "003\r\nmovie.avi\r\n");
    EXPECT_EQ(Joined(dest / "movie.000"), content);
    EXPECT_EQ(FilesIn(dest.Path()), (Files{"movie.000", "movie.001", "movie.002", "movie.003"}));

    ASSERT_FALSE(window.statusTexts.empty());
    EXPECT_EQ(window.statusTexts.front(), "残り 3000000 (1/3)");
    EXPECT_NE(std::find(window.statusTexts.begin(), window.statusTexts.end(), "残り 1582784 (2/3)"),
              window.statusTexts.end()) << "piece 002 starts after the 1,417,216 bytes of piece 001";
    EXPECT_NE(std::find(window.statusTexts.begin(), window.statusTexts.end(), "残り 1728 (3/3)"),
              window.statusTexts.end()) << "the last block of the final piece is short";

    // Completed: box shown then hidden, label and status emptied.
    EXPECT_EQ(window.box.shows, 1);
    EXPECT_FALSE(window.box.visible);
    EXPECT_EQ(window.pieceRange, "");
    EXPECT_EQ(window.statusText, "");
    ASSERT_EQ(window.box.paints.size(), 1u + 733u) << "0% at the start, then one picture per block";
    EXPECT_EQ(window.box.paints.front().label, "0%");
    EXPECT_EQ(window.box.paints.back().label, "99%");
}

TEST_F(SplitRunTest, PiecesOfAWholeNumberOfBlocksAndAnExactMultiple)
{
    MakeSource(3 * 512000 + 999);
    ASSERT_TRUE(Split(512000));
    EXPECT_EQ(PieceSizes(), (std::vector<int64_t>{512000, 512000, 512000, 999}));

    MakeSource(3 * 512000, "exact.avi");
    ASSERT_TRUE(Split(512000));
    EXPECT_EQ(ReadBytes(dest / "exact.000"), "003\r\nexact.avi\r\n");
    EXPECT_EQ(PieceSizes("exact"), (std::vector<int64_t>{512000, 512000, 512000}));
    EXPECT_EQ(Joined(dest / "exact.000"), content);

    // An exact multiple of a size that is not whole blocks keeps every byte.
    MakeSource(2 * 1421000, "odd.avi");
    ASSERT_TRUE(Split(1421000));
    EXPECT_EQ(ReadBytes(dest / "odd.000"), "002\r\nodd.avi\r\n");
    EXPECT_EQ(PieceSizes("odd"), (std::vector<int64_t>{1417216, 1424784}));
    EXPECT_EQ(Joined(dest / "odd.000"), content);
}

TEST_F(SplitRunTest, ASourceShorterThanTheSizeIsOnePieceCheckedAgainstItsOwnLength)
{
    MakeSource(5000);
    platform.SetFree(6000);  // less than the size, but room for the source
    ASSERT_TRUE(Split(1421000));
    EXPECT_EQ(ui.Texts(), (Files{"分割数は *.001 の １ です"}));
    EXPECT_EQ(ReadBytes(dest / "movie.000"), "001\r\nmovie.avi\r\n");
    EXPECT_EQ(ReadBytes(dest / "movie.001"), content);
    EXPECT_EQ(modCarver::PrivateInstance().DiskTotalSize(), 6000.0);

    platform.SetFree(4000);  // no room for it: the three-way question
    ui.Answer({MsgAnswer::Ok, MsgAnswer::Cancel});
    ASSERT_TRUE(Split(1421000));
    EXPECT_EQ(ui.questions.back().caption, "データ保存");
}

TEST_F(SplitRunTest, AnEmptySourceOrASizeOfZeroWritesNothing)
{
    // An empty source is a failure, not a set of nothing.
    MakeSource(0);
    ASSERT_FALSE(Split(1421000));
    EXPECT_EQ(ui.Texts(), (Files{kFailure + "ﾌｧｲﾙが空です"}));
    EXPECT_FALSE(window.box.visible);
    EXPECT_TRUE(FilesIn(dest.Path()).empty());

    MakeSource(3000000);
    ASSERT_TRUE(Split(0));
    EXPECT_EQ(ui.questions.back().text, "分割数は *.000 の ０ です");
    EXPECT_TRUE(FilesIn(dest.Path()).empty());
}

TEST_F(SplitRunTest, AFixedDriveWithTooLittleRoomAsksTheThreeWayQuestion)
{
    MakeSource(3000000);
    platform.SetFree(1000000);
    ui.Answer({MsgAnswer::Ok, MsgAnswer::Cancel});
    EXPECT_TRUE(Split(1421000));
    ASSERT_EQ(ui.questions.size(), 2u);
    EXPECT_EQ(ui.questions[1].buttons, MsgButtons::YesNoCancel);
    // Given up before a full piece: box still shown, label emptied, nothing written.
    EXPECT_TRUE(window.box.visible);
    EXPECT_EQ(window.pieceRange, "");
    EXPECT_EQ(window.statusText, "(untouched)");
    EXPECT_TRUE(FilesIn(dest.Path()).empty());
}

TEST_F(SplitRunTest, CancelDuringPiece002KeepsWhatWasWrittenIncludingTheBlockInProgress)
{
    MakeSource(3000000);
    modCarver::CancelRequested = true;  // a request from before the run is forgotten
    int blocksOfPiece2 = 0;
    ui.onYield = [&] {
        if (window.statusText.find("(2/3)") != std::string::npos && ++blocksOfPiece2 == 10)
            modCarver::CancelRequested = true;
    };
    EXPECT_TRUE(Split(1421000));
    EXPECT_EQ(ui.questions.size(), 1u) << "no message";
    EXPECT_EQ(PieceSizes(), (std::vector<int64_t>{1417216, 10 * 4096}));
    EXPECT_EQ(ReadBytes(dest / "movie.002"), content.substr(1417216, 10 * 4096));
    EXPECT_TRUE(FileExists(dest / "movie.000"));
    EXPECT_FALSE(window.box.visible);
    EXPECT_EQ(window.pieceRange, "");
    EXPECT_EQ(window.statusText, "");
}

TEST_F(SplitRunTest, TheDateOptionDatesEveryFileOfTheSetAndOnlyThen)
{
    MakeSource(3000000);
    FileTimeSet old;
    old.lastAccess = FileTimeFromUnix(946684800, 0);
    old.lastWrite = FileTimeFromUnix(915148800, 0);
    ASSERT_TRUE(SystemFileTimes().Write(source, old));

    window.batchMake = true;
    ASSERT_TRUE(Split(1421000));
    for (const auto& name : FilesIn(dest.Path())) {
        FileTimeSet t;
        ASSERT_TRUE(SystemFileTimes().Read(dest / name, t));
        EXPECT_NE(t.lastWrite, old.lastWrite) << name;
    }

    // The first run read the source, so its last-access time is of today now.
    FileTimeSet now;
    ASSERT_TRUE(SystemFileTimes().Read(source, now));
    window.setDate = true;
    window.manifest = true;
    ASSERT_TRUE(Split(1421000));
    EXPECT_EQ(FilesIn(dest.Path()),
              (Files{"movie.000", "movie.001", "movie.002", "movie.003", "movie.bat", "movie.sha256"}));
    for (const auto& name : FilesIn(dest.Path())) {
        FileTimeSet t;
        ASSERT_TRUE(SystemFileTimes().Read(dest / name, t));
        EXPECT_EQ(t.lastWrite, old.lastWrite) << name;
        EXPECT_EQ(t.lastAccess, now.lastAccess) << name;
    }
}

TEST_F(SplitRunTest, AMissingDestinationFolderFailsBeforeAnythingIsWritten)
{
    MakeSource(3000000);
    EXPECT_FALSE(modCarver::SplitFile(window, ui, source, dest / "missing/", 1421000));
    ASSERT_EQ(ui.questions.size(), 2u);
    EXPECT_EQ(ui.questions[1].text, kFailure + std::strerror(ENOENT));
    EXPECT_EQ(ui.questions[1].icon, MsgIcon::Stop);
    EXPECT_EQ(ui.questions[1].buttons, MsgButtons::Ok);
    EXPECT_FALSE(window.box.visible);
    EXPECT_EQ(window.pieceRange, "");
    EXPECT_EQ(window.statusText, "");
    EXPECT_TRUE(FilesIn(dest.Path()).empty());
}

TEST_F(SplitRunTest, AMissingSourceFailsBeforeAnyQuestion)
{
    source = sourceDir / "gone.avi";
    EXPECT_FALSE(Split(1421000));
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(ui.questions[0].text, kFailure + std::strerror(ENOENT));
    EXPECT_TRUE(FilesIn(dest.Path()).empty());
}

TEST_F(SplitRunTest, ASetThatWouldOverwriteItsOwnSourceIsRefused)
{
    window.batchMake = true;
    for (const std::string name : {"x.001", "x.003", "x.000", "x.bat", "x.sha256", "x.par2", "x.vol0+1.par2"}) {
        source = dest / name;
        content = PatternBytes(3000000, 5);
        WriteBytes(source, content);
        ui.questions.clear();
        EXPECT_FALSE(Split(1421000)) << name;
        ASSERT_EQ(ui.questions.size(), 2u) << name;
        EXPECT_NE(ui.questions[1].text.find(kFailure + "分割元ﾌｧｲﾙに上書きすることになります"), std::string::npos);
        EXPECT_EQ(FilesIn(dest.Path()), Files{name}) << "nothing written";
        EXPECT_EQ(ReadBytes(source), content);
        ::unlink(source.c_str());
    }
    // A hard link is the same file under another name.
    MakeSource(3000000, "y.avi");
    ASSERT_EQ(::link(source.c_str(), (dest / "y.002").c_str()), 0);
    EXPECT_FALSE(Split(1421000));
    EXPECT_EQ(ReadBytes(source), content);
    EXPECT_EQ(FilesIn(dest.Path()), Files{"y.002"});
}

// Recovery files of an earlier set of the name would describe other pieces:
// asked about like the set's other files, they go, with -r or without.
TEST_F(SplitRunTest, AnEarlierSetsRecoveryFilesAreAskedAboutAndGo)
{
    const Files old{"movie.par2", "movie.vol0+1.par2", "movie.vol1+2.par2"};
    for (const bool wanted : {false, true})
        for (const MsgAnswer answer : {MsgAnswer::No, MsgAnswer::Yes}) {
            MakeSource(3000000);
            for (const std::string& name : old) WriteBytes(dest / name, "old");
            window.recovery = wanted ? std::optional(modCarver::RecoveryRequest{1, 0}) : std::nullopt;
            ui.questions.clear();
            ui.Answer({MsgAnswer::Ok, answer});
            ASSERT_TRUE(Split(1421000));
            EXPECT_EQ(ui.questions.at(1).text, "分割先に「movie.par2」があります　上書きしますか");
            Files left = answer == MsgAnswer::No ? old : Files{"movie.000", "movie.001", "movie.002", "movie.003"};
            if (answer == MsgAnswer::Yes && wanted) left.insert(left.end(), {"movie.par2", "movie.vol0+1.par2"});
            EXPECT_EQ(FilesIn(dest.Path()), left) << wanted;
            for (const std::string& name : FilesIn(dest.Path())) ::unlink((dest / name).c_str());
        }
}

TEST_F(SplitRunTest, AWriteFailureStopsTheRunAndLeavesWhatWasWritten)
{
    MakeSource(3000000);
    WriteBytes(dest / "movie.002", "old");  // piece 002 cannot be replaced
    ::chmod((dest / "movie.002").c_str(), 0444);
    EXPECT_FALSE(Split(1421000));
    EXPECT_EQ(ui.questions[1].text, "分割先に「movie.002」があります　上書きしますか");
    EXPECT_EQ(ui.questions.back().text, kFailure + std::strerror(EACCES));
    EXPECT_EQ(ReadBytes(dest / "movie.001"), content.substr(0, 1417216));
    EXPECT_TRUE(FileExists(dest / "movie.000"));
    EXPECT_FALSE(window.box.visible);
    EXPECT_EQ(window.statusText, "");

    // A read-only old join-info file cannot be replaced: the run fails before any piece.
    MakeSource(3000000, "other.avi");
    WriteBytes(dest / "other.000", "old");
    ::chmod((dest / "other.000").c_str(), 0444);
    EXPECT_FALSE(Split(1421000));
    EXPECT_EQ(ReadBytes(dest / "other.000"), "old");
    EXPECT_FALSE(FileExists(dest / "other.001"));
}

TEST_F(SplitRunTest, ALinkToADeviceAtAPiecePathIsNeverWrittenThrough)
{
    MakeSource(300000);
    ASSERT_EQ(::symlink("/dev/null", (dest / "movie.001").c_str()), 0);
    EXPECT_FALSE(Split(1421000));
    EXPECT_EQ(ui.questions.back().text, kFailure + "通常のﾌｧｲﾙではありません");
    EXPECT_EQ(FilesIn(dest.Path()), Files{"movie.001"}) << "nothing written before the refusal";
}

}  // namespace
