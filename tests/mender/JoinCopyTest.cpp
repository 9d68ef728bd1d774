// Copying: the rebuilt file, the progress picture and status text per block,
// names taken from line 2, counts, and Cancel during the copy.
#include <gtest/gtest.h>

#include <cstdio>

#include "Files.h"
#include "JoinTestSupport.h"
#include "TempFolder.h"
#include "modMender.h"

namespace {

std::vector<std::string> Filtered(const std::vector<std::string>& log, const std::string& prefix)
{
    std::vector<std::string> out;
    for (const auto& e : log)
        if (e.rfind(prefix, 0) == 0) out.push_back(e);
    return out;
}

}  // namespace

TEST(JoinCopy, PiecesAtTheBlockEdgesRebuildTheFileByteForByte)
{
    TempFolder dir;
    const TestSet set = MakeSet(dir.Path(), "movie.", "movie.avi", {1, 4095, 4096, 4097, 5000, 8192});
    // An older, longer file of the same name must not leave its tail behind.
    IgnoreResult(CreateFolder(dir / "out"));
    WriteBytes(dir / "out/movie.avi", std::string(100000, 'x'));

    JoinRun run;
    run.Run(set.joinInfoPath, dir / "out");  // no trailing separator: the engine adds it

    EXPECT_EQ(ReadBytes(dir / "out/movie.avi"), set.Joined());
    // Pieces of sizes no split makes are asked about; Yes joins them as they are.
    EXPECT_EQ(run.ui.Texts(), (std::vector<std::string>{kAskJoin,
                                                        "「movie.003」の大きさが他の分割ﾌｧｲﾙと違います　連結を続けますか",
                                                        "「movie.avi」は既に存在します　上書きしますか"}))
        << "a completed run shows no message";
    EXPECT_FALSE(run.window.box.visible);
    EXPECT_EQ(run.window.statusText, "");
    for (const auto& p : set.piecePaths) EXPECT_TRUE(FileExists(p)) << "nothing deleted unless asked";
    // One yield per block, one after each piece: 1+1+1+2+2+2 blocks, 6 pieces.
    EXPECT_EQ(run.ui.yields, 9 + 6);
}

TEST(JoinCopy, StatusTextAndProgressPerBlock)
{
    TempFolder dir;
    {
        const TestSet set = MakeSet(dir.Path(), "a.", "a.bin", {5000});
        JoinRun run;
        run.Run(set.joinInfoPath, dir / "out/");
        EXPECT_EQ(run.window.log, (std::vector<std::string>{
                                      "show", "paint 0% bar 0",                            // exact ends
                                      "paint 50% bar 150", "status 残り 5000 (1/1)",
                                      "paint 99% bar 300", "status 残り 904 (1/1)",      // 2/2: full bar, 99%
                                      "status 残り 0", "hide", "status "}));
    }
    {
        // A whole number of blocks counts one block more than it copies.
        const TestSet set = MakeSet(dir.Path(), "b.", "b.bin", {8192});
        JoinRun run;
        run.Run(set.joinInfoPath, dir / "out/");
        EXPECT_EQ(Filtered(run.window.log, "paint"),
                  (std::vector<std::string>{"paint 0% bar 0", "paint 33% bar 100", "paint 67% bar 200"}));
        EXPECT_EQ(Filtered(run.window.log, "status"),
                  (std::vector<std::string>{"status 残り 8192 (1/1)", "status 残り 4096 (1/1)", "status 残り 0",
                                            "status "}));
    }
    {
        const TestSet set = MakeSet(dir.Path(), "c.", "c.bin", {10, 20, 30, 40, 50});
        JoinRun run;
        run.Run(set.joinInfoPath, dir / "out/");
        EXPECT_EQ(Filtered(run.window.log, "status 残り 40"), std::vector<std::string>{"status 残り 40 (4/5)"});
        EXPECT_EQ(Filtered(run.window.log, "show").size(), 5u) << "the box is shown again for every piece";
        EXPECT_EQ(Filtered(run.window.log, "paint 0%").size(), 5u);
    }
}

TEST(JoinCopy, PieceNamesFollowLineTwo)
{
    TempFolder dir;
    struct Case { std::string stem, line2Bytes, rebuiltName; };
    const Case cases[] = {
        {"archive.", "archive.tar.gz", "archive.tar.gz"},
        {"README.", "README", "README"},
        {".", ".profile", ".profile"},
        // CP932 bytes of 動画ファイル.avi
        {"動画ファイル.", "\x93\xAE\x89\xE6\x83\x74\x83\x40\x83\x43\x83\x8B.avi", "動画ファイル.avi"},
        // A name CP932 cannot hold, in UTF-8 behind the mark
        {"café.", "\xEF\xBB\xBF" "café.txt", "café.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rebuiltName);
        const std::string src = dir / (std::to_string(&c - cases) + "/");
        TestSet set = MakeSet(src, c.stem, c.line2Bytes, {3000, 5000});
        // The join-info file was renamed after the split: the pieces are still
        // found by line 2.
        const std::string renamed = src + "renamed.000";
        ASSERT_EQ(std::rename(set.joinInfoPath.c_str(), renamed.c_str()), 0);

        JoinRun run;
        run.Run(renamed, src + "out/");
        EXPECT_EQ(ReadBytes(src + "out/" + c.rebuiltName), set.Joined());
        EXPECT_EQ(run.ui.Texts().size(), 1u);
    }
}

TEST(JoinCopy, CountsFromLineOne)
{
    TempFolder dir;
    {
        // Pieces beyond the count are not part of the set.
        const TestSet set = MakeSet(dir.Path(), "m.", "m.bin", {100, 200, 300}, "002");
        JoinRun run;
        run.Run(set.joinInfoPath, dir / "out/");
        EXPECT_EQ(ReadBytes(dir / "out/m.bin"), set.pieces[0] + set.pieces[1]);
    }
    for (const std::string line1 : {"000", "0", "-1", "abc", "3abc", "", "12345678901234567890"}) {
        // A count line that describes no set is refused before anything is made.
        const TestSet set = MakeSet(dir.Path(), "z.", "z.bin", {100, 200});
        WriteBytes(set.joinInfoPath, line1 + "\r\nz.bin\r\n");
        JoinRun run;
        run.Run(set.joinInfoPath, dir / "out/");
        EXPECT_EQ(run.QuestionsAfterFirst(),
                  std::vector<std::string>{FailureText("連結情報ﾌｧｲﾙが正しくありません")}) << line1;
        EXPECT_FALSE(FileExists(dir / "out/z.bin"));
    }
    {
        // Spaces around the digits, and line ends of LF alone, as a script writes them.
        IgnoreResult(CreateFolder(dir / "lf"));
        const TestSet set = MakeSet(dir / "lf/", "s.", "s.bin", {100, 200}, " 2 ");
        WriteBytes(set.joinInfoPath, " 2 \ns.bin\n");
        JoinRun run;
        run.Run(set.joinInfoPath, dir / "out/");
        EXPECT_EQ(ReadBytes(dir / "out/s.bin"), set.Joined());
    }
    {
        // More than 999 pieces: line 1 holds the whole count, pieces go on as .1000.
        const std::vector<size_t> sizes(1001, 1);
        const TestSet set = MakeSet(dir.Path(), "big.", "big.bin", sizes, "1001");
        EXPECT_EQ(set.piecePaths.back(), dir / "big.1001");
        JoinRun run;
        run.Run(set.joinInfoPath, dir / "out/");
        EXPECT_EQ(ReadBytes(dir / "out/big.bin"), set.Joined());
        EXPECT_EQ(run.ui.Texts().size(), 1u);
    }
}

TEST(JoinCopy, AnEmptyPieceAddsNothingAndTheRunGoesOn)
{
    TempFolder dir;
    const TestSet set = MakeSet(dir.Path(), "e.", "e.bin", {3000, 0, 4096});
    JoinRun run;
    run.window.afterDelete = true;
    run.Run(set.joinInfoPath, dir / "out/");
    EXPECT_EQ(ReadBytes(dir / "out/e.bin"), set.Joined());
    EXPECT_EQ(run.ui.Texts(), (std::vector<std::string>{kAskJoin,
                                                        "「e.002」の大きさが他の分割ﾌｧｲﾙと違います　連結を続けますか"}));
    EXPECT_FALSE(FileExists(set.piecePaths[1])) << "the empty piece is part of the set and goes with it";
    EXPECT_EQ(Filtered(run.window.log, "status 残り 0").size(), 3u);
}

TEST(JoinCopy, CancelDuringTheSecondPieceKeepsTheBlocksWrittenSoFar)
{
    TempFolder dir;
    const TestSet set = MakeSet(dir.Path(), "c.", "c.bin", {5000, 3 * 4096 + 10, 700});
    JoinRun run;
    run.window.afterDelete = true;
    // Cancel arrives while the second block of piece 2 is being copied.
    run.ui.onYield = [&] {
        if (run.window.statusText == "残り 8202 (2/3)") modMender::CancelRequested = true;
    };
    run.Run(set.joinInfoPath, dir / "out/");

    EXPECT_EQ(ReadBytes(dir / "out/c.bin"), set.pieces[0] + set.pieces[1].substr(0, 8192));
    EXPECT_FALSE(run.window.box.visible);
    EXPECT_EQ(run.window.statusText, "");
    EXPECT_EQ(run.ui.Texts().size(), 1u) << "no message on Cancel";
    EXPECT_FALSE(FileExists(set.piecePaths[0])) << "piece 1 was joined and deleted before the Cancel";
    EXPECT_TRUE(FileExists(set.piecePaths[1]));
    EXPECT_TRUE(FileExists(set.piecePaths[2]));

    // The next run starts with the flag cleared.
    JoinRun again;
    const TestSet second = MakeSet(dir.Path(), "d.", "d.bin", {10, 20});
    again.Run(second.joinInfoPath, dir / "out/");
    EXPECT_EQ(ReadBytes(dir / "out/d.bin"), second.Joined());
}

TEST(JoinCopy, CancelBetweenPiecesStillWritesTheNextPiecesFirstBlock)
{
    TempFolder dir;
    const TestSet set = MakeSet(dir.Path(), "c.", "c.bin", {100, 5000, 700});
    JoinRun run;
    run.ui.onYield = [&] {
        if (run.window.statusText == "残り 0") modMender::CancelRequested = true;
    };
    run.Run(set.joinInfoPath, dir / "out/");
    EXPECT_EQ(ReadBytes(dir / "out/c.bin"), set.pieces[0] + set.pieces[1].substr(0, 4096));
}
