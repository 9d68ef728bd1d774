// Sets made by other tools, numbered NAME.001, NAME.002 … without a join-info
// file, joined by the real mender-cli.
#include <gtest/gtest.h>

#include <filesystem>

#include "ChildProcess.h"
#include "TempFolder.h"

namespace fs = std::filesystem;

namespace {

const std::string kMender = MENDER_CLI;

int Shell(const std::string& command) { return RunProgram("/bin/sh", {"-c", command}, ""); }

}  // namespace

TEST(NumberedSet, SplitsNumericSetIsJoinedAndOnlyItsPiecesAreDeleted)
{
    TempFolder dir;
    const std::string data = PatternBytes(1'050'000, 4);
    WriteBytes(dir / "data", data);
    fs::create_directory(dir / "in");
    ASSERT_EQ(Shell("cd '" + dir / "in" + "' && split -d -a 3 --numeric-suffixes=1 -b 100000 ../data x.bin."), 0);
    WriteBytes(dir / "in/x.bin.txt", "not a piece");

    std::string err;
    ASSERT_EQ(RunProgram(kMender, {"-y", "-d", dir / "in/x.bin.001", dir / "out"}, "", &err), 0) << err;
    EXPECT_EQ(ReadBytes(dir / "out/x.bin"), data);
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator(dir / "in")) left.push_back(e.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"x.bin.txt"}));
}

TEST(NumberedSet, AGapIsRefusedNamingTheFirstMissingPiece)
{
    TempFolder dir;
    WriteBytes(dir / "data", PatternBytes(450'000, 5));
    ASSERT_EQ(Shell("cd '" + dir.Path() + "' && split -d -a 3 --numeric-suffixes=1 -b 100000 data v."), 0);
    fs::remove(dir / "v.003");
    std::string err;
    EXPECT_EQ(RunProgram(kMender, {"-y", "-d", dir / "v.001", dir / "out"}, "", &err), 2);
    EXPECT_NE(err.find(dir / "v.003"), std::string::npos) << err;
    EXPECT_NE(err.find("分割ﾌｧｲﾙ「v.003」がありません"), std::string::npos) << err;
    EXPECT_TRUE(fs::exists(dir / "v.001")) << "nothing deleted";
    EXPECT_FALSE(fs::exists(dir / "out/v"));
}

TEST(NumberedSet, ArchiveVolumesJoinIntoAnArchiveThatTests)
{
    const std::string sevenZip = fs::exists("/usr/bin/7z")    ? "/usr/bin/7z"
                                 : fs::exists("/usr/bin/7zz") ? "/usr/bin/7zz"
                                                              : "";
    if (sevenZip.empty()) GTEST_SKIP() << "7-Zip is not installed";
    TempFolder dir;
    WriteBytes(dir / "payload.bin", PatternBytes(600'000, 6));
    ASSERT_EQ(Shell("cd '" + dir.Path() + "' && " + sevenZip + " a -mx0 -v150k arc.7z payload.bin > /dev/null"), 0);
    ASSERT_TRUE(fs::exists(dir / "arc.7z.004"));
    std::string err;
    ASSERT_EQ(RunProgram(kMender, {"-y", dir / "arc.7z.001", dir / "out"}, "", &err), 0) << err;
    EXPECT_EQ(Shell(sevenZip + " t '" + dir / "out/arc.7z" + "' > /dev/null"), 0);
}

TEST(NumberedSet, APieceOfACarverSetLeadsToItsJoinInfoFile)
{
    TempFolder dir;
    WriteBytes(dir / "movie.001", "abc");
    WriteBytes(dir / "movie.002", "de");
    WriteBytes(dir / "movie.000", "002\r\nmovie.avi\r\n");
    std::string err;
    ASSERT_EQ(RunProgram(kMender, {"-y", dir / "movie.001", dir / "out"}, "", &err), 0) << err;
    EXPECT_EQ(ReadBytes(dir / "out/movie.avi"), "abcde");
}

// GNU split -d starts at NAME.000: a NAME.000 that no join-info file can be
// (too large, or control bytes while no smaller than NAME.001) is the first
// piece, through itself or NAME.001; a damaged join-info file is still one,
// and a failed join leaves no folder behind.
TEST(NumberedSet, SplitDSetsStartAtZeroAndDamagedJoinInfoFilesStayRefused)
{
    struct Case {
        std::string split;  // split's arguments making the set from data, or empty
        std::string joinInfo;  // else: written as movie.000 beside a movie.001 of one block
        std::string given;     // the file given to mender-cli
        int status;
        std::string error = {};
    };
    const Case cases[] = {
        {"-b 100000 ../data big.", "", "big.000", 0},
        {"-b 100000 ../data big.", "", "big.001", 0},
        {"-b 1000 ../data small.", "", "small.000", 0},
        {"", "abc\r\nmovie.avi\r\n", "movie.000", 2, "連結情報ﾌｧｲﾙが正しくありません"},
        {"", std::string(40, '\0'), "movie.001", 2, "連結情報ﾌｧｲﾙ"},
    };
    const std::string data = PatternBytes(250'000, 8);
    for (const Case& c : cases) {
        TempFolder dir;
        WriteBytes(dir / "data", data);
        fs::create_directory(dir / "in");
        if (!c.split.empty()) {
            ASSERT_EQ(Shell("cd '" + dir / "in" + "' && split -d -a 3 " + c.split), 0);
        } else {
            WriteBytes(dir / "in/movie.000", c.joinInfo);
            WriteBytes(dir / "in/movie.001", PatternBytes(4096, 1));
        }
        std::string err;
        EXPECT_EQ(RunProgram(kMender, {"-y", "-d", dir / ("in/" + c.given), dir / "out"}, "", &err), c.status)
            << c.given << err;
        if (c.status == 0) {
            const std::string name = c.given.substr(0, c.given.find('.'));
            EXPECT_EQ(ReadBytes(dir / ("out/" + name)), data) << c.given;
            EXPECT_TRUE(fs::is_empty(dir / "in")) << c.given << ": every piece from 000 on is deleted";
        } else {
            EXPECT_NE(err.find(c.error), std::string::npos) << err;
            EXPECT_FALSE(fs::exists(dir / "out")) << c.given << ": the folder made for the join is gone";
            EXPECT_TRUE(fs::exists(dir / "in/movie.000"));
        }
    }
}

// FOLDER "-": the rebuilt file on standard output, byte for byte, for a
// Carver set (checked by its manifest) and a split -d one; refused with -d.
TEST(NumberedSet, TheRebuiltFileGoesToStandardOutput)
{
    TempFolder dir;
    WriteBytes(dir / "data", PatternBytes(600'000, 2));
    fs::create_directory(dir / "carver");
    ASSERT_EQ(RunProgram(CARVER_CLI, {"-yq", "-s", "100KB", dir / "data", dir / "carver"}, ""), 0);
    ASSERT_EQ(Shell("cd '" + dir.Path() + "' && split -d -a 3 -b 100000 data d."), 0);
    for (const std::string set : {"carver/data.000", "d.000", "d.001"})
        EXPECT_EQ(Shell("cd '" + dir.Path() + "' && '" + kMender + "' -yq " + set + " - | cmp - data"), 0) << set;
    std::string err;
    EXPECT_EQ(RunProgram(kMender, {"-d", dir / "d.000", "-"}, "", &err), 64);
    EXPECT_NE(err.find("-d は - (標準出力) と同時に指定できません"), std::string::npos) << err;
    EXPECT_TRUE(fs::exists(dir / "d.000") && fs::exists(dir / "carver/data.001"));
}
