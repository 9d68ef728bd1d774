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
