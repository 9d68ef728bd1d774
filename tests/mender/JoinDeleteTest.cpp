// Delete-as-you-go: the split set goes piece by piece, but never before the
// joined bytes are in the rebuilt file.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

#include "Files.h"
#include "JoinTestSupport.h"
#include "modMender.h"
#include "TempFolder.h"

TEST(JoinDelete, NothingOfTheSetRemainsAfterARun)
{
    TempFolder dir;
    const TestSet set = MakeSet(dir / "in/", "movie.", "movie.avi", {4096, 5000, 7});
    WriteBytes(dir / "in/movie.bat", "copy /b ...");
    WriteBytes(dir / "in/movie.BAT", "copy /b ...");
    WriteBytes(dir / "in/other.001", "not of this set");
    JoinRun run;
    run.window.afterDelete = true;
    run.Run(set.joinInfoPath, dir / "out/");

    EXPECT_EQ(ReadBytes(dir / "out/movie.avi"), set.Joined());
    for (const char* name : {"movie.000", "movie.bat", "movie.BAT", "movie.001", "movie.002", "movie.003"})
        EXPECT_FALSE(FileExists(dir / "in/" + name)) << name;
    EXPECT_TRUE(FileExists(dir / "in/other.001"));
    EXPECT_EQ(run.window.afterDeleteReads, 3) << "read once after each piece";
    EXPECT_EQ(run.ui.Texts().size(), 1u);
}

TEST(JoinDelete, TheJoinInfoFileGivenGoesWithItsOwnBatchFileNotTheSetsNamesakes)
{
    TempFolder dir;
    const TestSet set = MakeSet(dir.Path(), "movie.", "movie.avi", {10, 20});
    const std::string renamed = dir / "copy.000";
    WriteBytes(renamed, ReadBytes(set.joinInfoPath));
    WriteBytes(dir / "copy.bat", "rem");
    WriteBytes(dir / "movie.bat", "rem");
    JoinRun run;
    run.window.afterDelete = true;
    run.Run(renamed, dir / "out/");
    EXPECT_EQ(ReadBytes(dir / "out/movie.avi"), set.Joined());
    EXPECT_FALSE(FileExists(renamed));
    EXPECT_FALSE(FileExists(dir / "copy.bat"));
    EXPECT_TRUE(FileExists(set.joinInfoPath)) << "another file that merely shares the set's name";
    EXPECT_TRUE(FileExists(dir / "movie.bat"));
}

TEST(JoinDelete, AReadOnlyPieceStaysWithoutAMessage)
{
    TempFolder dir;
    const TestSet set = MakeSet(dir.Path(), "movie.", "movie.avi", {10, 20, 30});
    ASSERT_EQ(::chmod(set.piecePaths[1].c_str(), 0444), 0);
    JoinRun run;
    run.window.afterDelete = true;
    run.Run(set.joinInfoPath, dir / "out/");
    EXPECT_EQ(ReadBytes(dir / "out/movie.avi"), set.Joined());
    EXPECT_EQ(run.ui.Texts().size(), 1u);
    EXPECT_FALSE(FileExists(set.piecePaths[0]));
    EXPECT_TRUE(FileExists(set.piecePaths[1]));
    EXPECT_FALSE(FileExists(set.piecePaths[2]));
    EXPECT_EQ(run.window.deletionFailures, std::vector<std::string>{set.piecePaths[1]}) << "told once, by the run";
}

TEST(JoinDelete, TheOptionIsReadAfterEachPiece)
{
    TempFolder dir;
    const TestSet set = MakeSet(dir.Path(), "movie.", "movie.avi", {10, 20, 30});
    JoinRun run;
    // Ticked while piece 2 is copied, unticked again during piece 3.
    run.window.afterDeleteNow = [&] { return run.window.afterDeleteReads == 2; };
    run.Run(set.joinInfoPath, dir / "out/");
    EXPECT_TRUE(FileExists(set.piecePaths[0]));
    EXPECT_FALSE(FileExists(set.piecePaths[1]));
    EXPECT_FALSE(FileExists(set.joinInfoPath)) << "the join-info file goes with the first deletion";
    EXPECT_TRUE(FileExists(set.piecePaths[2]));
}

TEST(JoinDelete, APieceGoesOnlyOnceItsBytesAreInTheRebuiltFile)
{
    TempFolder dir;
    const TestSet set = MakeSet(dir.Path(), "movie.", "movie.avi", {5000, 3000, 100});
    JoinRun run;
    run.window.afterDelete = true;
    // What the rebuilt file holds on disk when each piece is first seen gone;
    // pieces go in batches, here at the Cancel pressed during piece 3.
    std::map<size_t, std::string> onDiskWhenGone;
    run.ui.onYield = [&] {
        if (run.window.statusText.find("(3/3)") != std::string::npos) modMender::CancelRequested = true;
        for (size_t k = 0; k < set.piecePaths.size(); ++k)
            if (!onDiskWhenGone.count(k) && !FileExists(set.piecePaths[k]))
                onDiskWhenGone[k] = ReadBytes(dir / "out/movie.avi");
    };
    run.Run(set.joinInfoPath, dir / "out/");
    ASSERT_EQ(onDiskWhenGone.size(), 2u) << "pieces 1 and 2 go at the Cancel, piece 3 stays";
    EXPECT_TRUE(onDiskWhenGone[0].starts_with(set.pieces[0]));
    EXPECT_TRUE(onDiskWhenGone[1].starts_with(set.pieces[0] + set.pieces[1]));
    EXPECT_TRUE(FileExists(set.piecePaths[2]));
}

TEST(JoinDelete, DestinationEqualToTheSourceFolderLeavesOnlyTheRebuiltFile)
{
    TempFolder dir;
    const TestSet set = MakeSet(dir.Path(), "movie.", "movie.avi", {4097, 1});
    JoinRun run;
    run.window.afterDelete = true;
    run.Run(set.joinInfoPath, dir.Path());
    EXPECT_EQ(ReadBytes(dir / "movie.avi"), set.Joined());
    for (const std::string& p : set.piecePaths) EXPECT_FALSE(FileExists(p));
    EXPECT_FALSE(FileExists(set.joinInfoPath));
}

TEST(JoinDelete, NothingIsDeletedWhenTheRebuiltFileCannotBeWritten)
{
    TempFolder dir;
    const TestSet set = MakeSet(dir.Path(), "movie.", "movie.avi", {10, 20});
    // The buffered bytes fail when they are pushed out before the deletion:
    // the file may not grow beyond 5 bytes.
    EXPECT_EQ(JoinWithFileSizeLimit(5, true, set.joinInfoPath, dir / "out/"),
              std::vector<std::string>{FailureText(std::strerror(EFBIG))});
    for (const std::string& p : set.piecePaths) EXPECT_TRUE(FileExists(p));
    EXPECT_TRUE(FileExists(set.joinInfoPath));
}
