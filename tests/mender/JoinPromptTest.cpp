// The questions of a join: the first one, the disk prompts of a removable
// source, the wrong-disk loop, and what Cancel at each of them leaves.
#include <gtest/gtest.h>

#include <cstdio>

#include "Files.h"
#include "JoinTestSupport.h"
#include "TempFolder.h"
#include "modMender.h"

namespace {

// A removable source folder that holds only disk 1 (join-info file and piece
// 1); the other pieces wait in a drawer until a prompt "inserts" them.
struct DiskSet {
    TempFolder dir;
    TestSet set;
    std::string drawer;
    DiskSet() : set(MakeSet(dir / "disk/", "movie.", "movie.avi", {5000, 4096, 123}))
    {
        drawer = dir / "drawer/";
        IgnoreResult(CreateFolder(drawer));
        for (size_t k = 1; k < set.piecePaths.size(); ++k)
            std::rename(set.piecePaths[k].c_str(), (drawer + PieceName(k)).c_str());
    }
    static std::string PieceName(size_t k) { return "movie.00" + std::to_string(k + 1); }
    void Insert(size_t pieceNumber)
    {
        std::rename((drawer + PieceName(pieceNumber - 1)).c_str(), set.piecePaths[pieceNumber - 1].c_str());
    }
    std::string Rebuilt() const { return ReadBytes(dir / "out/movie.avi"); }
};

}  // namespace

TEST(JoinPrompts, CancelAtTheFirstQuestionTouchesNothing)
{
    TempFolder dir;
    const TestSet set = MakeSet(dir.Path(), "movie.", "movie.avi", {10});
    JoinRun run;
    run.window.afterDelete = true;
    run.ui.Answer({MsgAnswer::Cancel});
    run.Run(set.joinInfoPath, dir / "out/");
    ASSERT_EQ(run.ui.questions.size(), 1u);
    EXPECT_EQ(run.ui.questions[0].text, kAskJoin);
    EXPECT_EQ(run.ui.questions[0].buttons, MsgButtons::OkCancel);
    EXPECT_EQ(run.ui.questions[0].icon, MsgIcon::Warning);
    EXPECT_FALSE(FolderExists(dir / "out")) << "not even the destination folder";
    EXPECT_TRUE(run.window.log.empty());
    EXPECT_TRUE(FileExists(set.joinInfoPath));
}

TEST(JoinPrompts, RemovableSourceAsksForEachDiskInOrder)
{
    DiskSet disks;
    JoinRun run;
    run.drives.removable = true;
    run.ui.onQuestion = [&](const FakeUiServices::Question& q) {
        if (q.text == DiskPrompt("２")) disks.Insert(2);
        if (q.text == DiskPrompt("３")) disks.Insert(3);
    };
    run.Run(disks.set.joinInfoPath, disks.dir / "out/");
    EXPECT_EQ(run.ui.Texts(), (std::vector<std::string>{kAskJoin, DiskPrompt("２"), DiskPrompt("３")}));
    for (const auto& q : run.ui.questions) {
        EXPECT_EQ(q.buttons, MsgButtons::OkCancel);
        EXPECT_EQ(q.icon, MsgIcon::Warning);
        EXPECT_EQ(q.caption, "Mender");
    }
    EXPECT_EQ(disks.Rebuilt(), disks.set.Joined());
}

TEST(JoinPrompts, WrongDiskRepeatsUntilThePieceIsThere)
{
    DiskSet disks;
    JoinRun run;
    run.drives.removable = true;
    int wrongDiskPrompts = 0;
    run.ui.onQuestion = [&](const FakeUiServices::Question& q) {
        // The user inserts disk 2 only at the second wrong-disk prompt, disk 3 at once.
        if (q.text == WrongDiskPrompt("２") && ++wrongDiskPrompts == 2) disks.Insert(2);
        if (q.text == DiskPrompt("３")) disks.Insert(3);
    };
    run.Run(disks.set.joinInfoPath, disks.dir / "out/");
    EXPECT_EQ(run.ui.Texts(), (std::vector<std::string>{kAskJoin, DiskPrompt("２"), WrongDiskPrompt("２"),
                                                        WrongDiskPrompt("２"), DiskPrompt("３")}));
    EXPECT_EQ(disks.Rebuilt(), disks.set.Joined());
}

TEST(JoinPrompts, CancelAtADiskPromptKeepsWhatWasJoined)
{
    struct Case { const char* name; std::vector<MsgAnswer> answers; size_t piecesJoined; };
    const Case cases[] = {
        {"disk 2", {MsgAnswer::Ok, MsgAnswer::Cancel}, 1},
        {"wrong disk 2", {MsgAnswer::Ok, MsgAnswer::Ok, MsgAnswer::Cancel}, 1},
        {"disk 3", {MsgAnswer::Ok, MsgAnswer::Ok, MsgAnswer::Ok, MsgAnswer::Cancel}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DiskSet disks;
        JoinRun run;
        run.drives.removable = true;
        run.window.afterDelete = true;
        for (MsgAnswer a : c.answers) run.ui.Answer({a});
        // Disk 2 shows up only after its wrong-disk prompt; disk 3 is never inserted.
        run.ui.onQuestion = [&](const FakeUiServices::Question& q) {
            if (q.text == WrongDiskPrompt("２")) disks.Insert(2);
        };
        run.Run(disks.set.joinInfoPath, disks.dir / "out/");

        EXPECT_EQ(run.ui.Texts().size(), c.answers.size());
        std::string expected;
        for (size_t k = 0; k < c.piecesJoined; ++k) expected += disks.set.pieces[k];
        EXPECT_EQ(disks.Rebuilt(), expected);
        // The box and the status keep showing the last piece joined.
        EXPECT_TRUE(run.window.box.visible);
        EXPECT_EQ(run.window.statusText, "残り 0");
        EXPECT_EQ(run.window.log.back(), "status 残り 0");
        // Deleted pieces stay deleted; the join-info file stays until the
        // join is over, so that running it again finishes it.
        EXPECT_FALSE(FileExists(disks.set.piecePaths[0]));
        EXPECT_TRUE(FileExists(disks.set.joinInfoPath));
    }
}

TEST(JoinPrompts, AMissingPieceOnAFixedDriveGetsOnlyTheWrongDiskPrompt)
{
    TempFolder dir;
    const TestSet set = MakeSet(dir.Path(), "movie.", "movie.avi", {10, 20, 30});
    ASSERT_EQ(::unlink(set.piecePaths[1].c_str()), 0);
    JoinRun run;
    // No disk brings it on a fixed drive: the question names the piece.
    const std::string named = WrongDiskPrompt("２") + "\r\nmovie.002";
    run.ui.onQuestion = [&](const FakeUiServices::Question& q) {
        if (q.text == named) WriteBytes(set.piecePaths[1], set.pieces[1]);
    };
    run.Run(set.joinInfoPath, dir / "out/");
    EXPECT_EQ(run.ui.Texts(), (std::vector<std::string>{kAskJoin, named}));
    EXPECT_EQ(ReadBytes(dir / "out/movie.avi"), set.Joined());
}

TEST(JoinPrompts, RemovabilityIsAskedOfTheJoinInfoFilesPath)
{
    TempFolder dir;
    const TestSet set = MakeSet(dir.Path(), "movie.", "movie.avi", {10, 20});
    struct RecordingDrives : FakeDrives {
        std::vector<std::string> asked;
        bool IsRemovable(const std::string& path) override
        {
            asked.push_back(path);
            return false;
        }
    } drives;
    FakeJoinerWindow window;
    FakeUiServices ui("Mender");
    modMender::JoinFiles(window, ui, set.joinInfoPath, dir / "out/", drives);
    // Then the destination's: a removable drive there must hold the rebuilt
    // file before the join reports completion.
    EXPECT_EQ(drives.asked, (std::vector<std::string>{set.joinInfoPath, dir / "out/"}));
    EXPECT_EQ(ui.Texts(), std::vector<std::string>{kAskJoin});
}

// A later disk without a manifest, in a set whose first disk had one, is
// joined, but nothing on it is deleted; the disks that check go as usual.
TEST(JoinPrompts, ALaterDiskWithoutAManifestIsJoinedAndKept)
{
    DiskSet disks;
    WriteSetManifest(disks.set, {1}, false);
    JoinRun run;
    run.drives.removable = true;
    run.window.afterDelete = true;
    run.ui.onQuestion = [&](const FakeUiServices::Question& q) {
        if (q.text == DiskPrompt("２")) {
            ASSERT_EQ(std::remove((disks.dir / "disk/movie.sha256").c_str()), 0);
            disks.Insert(2);
        }
        if (q.text == DiskPrompt("３")) {
            disks.Insert(3);
            WriteSetManifest(disks.set, {1, 2, 3}, false);
        }
    };
    run.Run(disks.set.joinInfoPath, disks.dir / "out/");
    EXPECT_EQ(run.QuestionsAfterFirst(), (std::vector<std::string>{DiskPrompt("２"), DiskPrompt("３")}));
    EXPECT_EQ(disks.Rebuilt(), disks.set.Joined());
    EXPECT_FALSE(FileExists(disks.set.piecePaths[0]));
    EXPECT_TRUE(FileExists(disks.set.piecePaths[1])) << "nothing vouched for it";
    EXPECT_FALSE(FileExists(disks.set.piecePaths[2]));
    EXPECT_TRUE(FileExists(disks.set.joinInfoPath)) << "the set's description stays with the piece kept";
}
