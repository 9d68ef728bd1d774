// The points that stop a join with the failure message, faults injected for
// real, and the line-2 and own-file checks that keep a join from writing
// outside its folder or over its own set.
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "Files.h"
#include "JoinTestSupport.h"
#include "TempFolder.h"
#include "modMender.h"

namespace {

std::string Lines(const std::vector<std::string>& texts)
{
    std::string all;
    for (const auto& t : texts) all += t + "\n";
    return all;
}

// The failure message and the end state that goes with it.
void ExpectFailure(const JoinRun& run, const std::string& description)
{
    ASSERT_EQ(run.ui.questions.size(), 2u) << Lines(run.ui.Texts());
    const auto& q = run.ui.questions[1];
    EXPECT_EQ(q.text, FailureText(description));
    EXPECT_EQ(q.buttons, MsgButtons::Ok);
    EXPECT_EQ(q.icon, MsgIcon::Stop);
    EXPECT_FALSE(run.window.box.visible);
    EXPECT_EQ(run.window.statusText, "");
}

void ExpectSetIntact(const TestSet& set)
{
    EXPECT_TRUE(FileExists(set.joinInfoPath));
    for (size_t k = 0; k < set.pieces.size(); ++k) EXPECT_EQ(ReadBytes(set.piecePaths[k]), set.pieces[k]);
}

}  // namespace

TEST(JoinFailure, TheJoinInfoFileMissingOrShort)
{
    TempFolder dir;
    {
        JoinRun run;
        run.Run(dir / "missing.000", dir / "out/");
        // Told before any question, and nothing made.
        ASSERT_EQ(run.ui.questions.size(), 1u) << Lines(run.ui.Texts());
        EXPECT_EQ(run.ui.questions[0].text, FailureText(std::strerror(ENOENT)));
        EXPECT_EQ(run.ui.questions[0].icon, MsgIcon::Stop);
        EXPECT_FALSE(FolderExists(dir / "out"));
        EXPECT_TRUE(run.window.log == (std::vector<std::string>{"hide", "status "}));
    }
    {
        WriteBytes(dir / "short.000", "001\r\n");
        WriteBytes(dir / "short.001", "data");
        JoinRun run;
        run.Run(dir / "short.000", dir / "out/");
        ExpectFailure(run, "連結情報ﾌｧｲﾙの行が足りません");
        EXPECT_FALSE(FileExists(dir / "out/short.001"));
    }
}

TEST(JoinFailure, TheDestinationsParentMissing)
{
    TempFolder dir;
    const TestSet set = MakeSet(dir.Path(), "movie.", "movie.avi", {10});
    JoinRun run;
    run.window.afterDelete = true;
    run.Run(set.joinInfoPath, dir / "no/such/out");
    ExpectFailure(run, std::strerror(ENOENT));
    EXPECT_FALSE(FolderExists(dir / "no"));
    ExpectSetIntact(set);
}

TEST(JoinFailure, APieceThatShrinksWhileItIsRead)
{
    TempFolder dir;
    const TestSet set = MakeSet(dir.Path(), "movie.", "movie.avi", {5000, 10000, 10});
    JoinRun run;
    run.ui.onYield = [&] {
        if (run.window.statusText == "残り 10000 (2/3)") {
            ASSERT_EQ(::truncate(set.piecePaths[1].c_str(), 100), 0);
        }
    };
    run.Run(set.joinInfoPath, dir / "out/");
    ExpectFailure(run, "ﾌｧｲﾙが途中で終わっています");
    EXPECT_EQ(ReadBytes(dir / "out/movie.avi"), set.pieces[0]) << "closed with what was written";
}

TEST(JoinFailure, APieceThatCannotBeOpened)
{
    TempFolder dir;
    const TestSet set = MakeSet(dir / "in/", "movie.", "movie.avi", {10, 5000, 10});
    IgnoreResult(CreateFolder(dir / "out"));
    for (const std::string& folder : {dir.Path(), dir / "in/", dir / "out/"}) ::chmod(folder.c_str(), 0777);
    ASSERT_EQ(::chmod(set.piecePaths[1].c_str(), 0), 0);
    // Root reads any file, so the join runs as nobody in a child process.
    const int code = RunInChild([&] {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) return 90;
        JoinRun run;
        run.Run(set.joinInfoPath, dir / "out/");
        WriteBytes(dir / "messages", Lines(run.QuestionsAfterFirst()));
        return run.window.box.visible ? 91 : 0;
    });
    ASSERT_EQ(code, 0);
    EXPECT_EQ(ReadBytes(dir / "messages"), FailureText(std::strerror(EACCES)) + "\n");
    EXPECT_EQ(ReadBytes(dir / "out/movie.avi"), set.pieces[0]);
}

TEST(JoinFailure, AWriteThatFailsOnAFileSizeLimit)
{
    TempFolder dir;
    const TestSet set = MakeSet(dir.Path(), "movie.", "movie.avi", {60000, 60000, 60000});
    const int code = RunInChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{100000, 100000};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 90;
        JoinRun run;
        run.window.afterDelete = true;
        run.Run(set.joinInfoPath, dir / "out/");
        WriteBytes(dir / "messages", Lines(run.QuestionsAfterFirst()));
        return 0;
    });
    ASSERT_EQ(code, 0);
    EXPECT_EQ(ReadBytes(dir / "messages"), FailureText(std::strerror(EFBIG)) + "\n");
    EXPECT_EQ(ReadBytes(dir / "out/movie.avi"), set.Joined().substr(0, 100000));
    // Piece 1 was deleted only after its bytes were safely written; piece 2 is
    // where the write failed, so it and the rest stay.
    EXPECT_FALSE(FileExists(set.piecePaths[0]));
    EXPECT_EQ(ReadBytes(set.piecePaths[1]), set.pieces[1]);
    EXPECT_EQ(ReadBytes(set.piecePaths[2]), set.pieces[2]);
}

TEST(JoinFailure, AWriteFailureFoundWhenTheRebuiltFileIsClosed)
{
    TempFolder dir;
    const TestSet set = MakeSet(dir.Path(), "movie.", "movie.avi", {10, 20});
    // The buffered bytes go out only at the close, and the file may not grow
    // beyond 5 bytes.
    EXPECT_EQ(JoinWithFileSizeLimit(5, false, set.joinInfoPath, dir / "out/"),
              std::vector<std::string>{FailureText(std::strerror(EFBIG))});
    ExpectSetIntact(set);
}

TEST(JoinFailure, LineTwoThatIsNoPlainFileName)
{
    const std::string names[] = {"../evil.bin", "sub/evil.bin", "/tmp/evil.bin", "", ".", "..",
                                 std::string("evil\0.bin", 9)};
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        TempFolder dir;
        IgnoreResult(CreateFolder(dir / "in"));
        IgnoreResult(CreateFolder(dir / "in/sub"));
        const TestSet set = MakeSet(dir / "in/", "evil.", name, {10, 20});
        JoinRun run;
        run.window.afterDelete = true;
        run.Run(set.joinInfoPath, dir / "in/out/");
        ExpectFailure(run, "連結情報ﾌｧｲﾙに正しいﾌｧｲﾙ名がありません");
        EXPECT_FALSE(FileExists(dir / "evil.bin"));
        EXPECT_FALSE(FileExists(dir / "in/evil.bin"));
        EXPECT_FALSE(FileExists(dir / "in/sub/evil.bin"));
        EXPECT_FALSE(FileExists("/tmp/evil.bin"));
        EXPECT_FALSE(FileExists(dir / "in/out/evil"));
        ExpectSetIntact(set);
    }
}

TEST(JoinFailure, TheRebuiltFileWouldBeOneOfTheSetsOwnFiles)
{
    struct Case { const char* line2; const char* destination; bool removePiece3; };
    const Case cases[] = {
        {"movie.001", "", false},       // step 8 would delete piece 1 before reading it
        {"movie.000", "", false},       // the set's join-info file
        {"movie.bat", "", false},       // would go with delete-as-you-go
        {"movie.002", "link/", false},  // the same folder under another name
        {"movie.003", "", true},        // a piece still on a later disk
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line2);
        TempFolder dir;
        const std::string src = dir / "in/";
        const TestSet set = MakeSet(src, "movie.", c.line2, {5000, 20, 30});
        WriteBytes(src + "movie.bat", "batch");
        ASSERT_EQ(::symlink(src.c_str(), (dir / "link").c_str()), 0);
        if (c.removePiece3) {
            ASSERT_EQ(::unlink(set.piecePaths[2].c_str()), 0);
        }
        JoinRun run;
        run.window.afterDelete = true;
        run.Run(set.joinInfoPath, std::string(c.destination).empty() ? src : dir / c.destination);
        ExpectFailure(run, "連結後ﾌｧｲﾙが分割ﾌｧｲﾙに上書きすることになります");
        EXPECT_TRUE(FileExists(src + "movie.bat"));
        EXPECT_EQ(ReadBytes(set.piecePaths[0]), set.pieces[0]);
        EXPECT_EQ(ReadBytes(set.piecePaths[1]), set.pieces[1]);
        EXPECT_TRUE(FileExists(set.joinInfoPath));
    }
}

TEST(JoinFailure, AHardLinkToAPieceIsSeenAsThatPiece)
{
    TempFolder dir;
    const TestSet set = MakeSet(dir / "in/", "movie.", "movie.avi", {10, 20});
    IgnoreResult(CreateFolder(dir / "out"));
    ASSERT_EQ(::link(set.piecePaths[1].c_str(), (dir / "out/movie.avi").c_str()), 0);
    JoinRun run;
    run.Run(set.joinInfoPath, dir / "out/");
    ExpectFailure(run, "連結後ﾌｧｲﾙが分割ﾌｧｲﾙに上書きすることになります");
    ExpectSetIntact(set);
}
