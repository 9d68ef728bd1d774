#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "CodePage.h"
#include "SplitSet.h"
#include "TempFolder.h"

TEST(SplitSet, NamesOfASet)
{
    const SplitSetNames n = SplitSetNamesFor("/data/movie.avi", "/out/");
    EXPECT_EQ(n.sourceName, "movie.avi");
    EXPECT_EQ(n.baseName, "movie");
    EXPECT_EQ(n.JoinInfoPath(), "/out/movie.000");
    EXPECT_EQ(n.PiecePath(1), "/out/movie.001");
    EXPECT_EQ(n.PiecePath(12), "/out/movie.012");
    EXPECT_EQ(n.PiecePath(999), "/out/movie.999");
    EXPECT_EQ(n.PiecePath(1000), "/out/movie.1000");
    EXPECT_EQ(n.BatchPath(), "/out/movie.bat");
    EXPECT_EQ(n.PieceFileName(3), "movie.003");

    const SplitSetNames tar = SplitSetNamesFor("/data/archive.tar.gz", "/out/");
    EXPECT_EQ(tar.sourceName, "archive.tar.gz");
    EXPECT_EQ(tar.JoinInfoPath(), "/out/archive.000");
    EXPECT_EQ(tar.BatchPath(), "/out/archive.bat");

    const SplitSetNames dot = SplitSetNamesFor("/home/u/.bashrc", "/out/");
    EXPECT_EQ(dot.JoinInfoPath(), "/out/.000");
    EXPECT_EQ(dot.PiecePath(1), "/out/.001");
    EXPECT_EQ(dot.BatchPath(), "/out/.bat");

    EXPECT_EQ(SplitSetNamesFor("README", "/o/").PiecePath(2), "/o/README.002");
}

TEST(SplitSet, CountLineKeepsThreeDigitsUpTo999)
{
    EXPECT_EQ(PieceCountLine(5), "005");
    EXPECT_EQ(PieceCountLine(0), "000");
    EXPECT_EQ(PieceCountLine(999), "999");
    EXPECT_EQ(PieceCountLine(1000), "1000");
    EXPECT_EQ(PieceCountLine(12345), "12345");

    EXPECT_EQ(PieceCountFromLine("005"), 5);
    EXPECT_EQ(PieceCountFromLine("999"), 999);
    EXPECT_EQ(PieceCountFromLine("x012"), 12) << "characters before the last three are ignored";
    EXPECT_EQ(PieceCountFromLine("5"), 5);
    EXPECT_EQ(PieceCountFromLine("1234"), 1234);
    EXPECT_EQ(PieceCountFromLine("abc"), 0);
    EXPECT_EQ(PieceCountFromLine(""), 0);
    EXPECT_EQ(PieceCountFromLine("7 5"), 7) << "last three characters: '7 5'";
    for (int n : {1, 9, 10, 99, 100, 999, 1000, 32767, 40000})
        EXPECT_EQ(PieceCountFromLine(PieceCountLine(n)), n);
}

TEST(SplitSet, JoinInfoFileByteForByte)
{
    TempFolder dir;
    const std::string path = dir / "movie.000";
    ASSERT_TRUE(WriteJoinInfo(path, 5, "movie.avi"));
    EXPECT_EQ(ReadBytes(path), std::string("005\r\nmovie.avi\r\n"));
    EXPECT_EQ(ReadBytes(path).size(), 16u);

    ASSERT_TRUE(WriteJoinInfo(path, 3, "ﾃｽﾄ動画.avi"));
    EXPECT_EQ(ReadBytes(path), "003\r\n" + *Utf8ToCp932("ﾃｽﾄ動画.avi") + "\r\n");

    ASSERT_TRUE(WriteJoinInfo(path, 1, "café.avi"));
    EXPECT_EQ(ReadBytes(path), "001\r\n\xEF\xBB\xBF" "café.avi\r\n");

    EXPECT_FALSE(WriteJoinInfo(dir / "missing/movie.000", 1, "movie.avi"));
}

TEST(SplitSet, JoinInfoReadBackAsTheJoinerReadsIt)
{
    TempFolder dir;
    const std::string path = dir / "x.000";
    for (const auto& [count, name] : std::vector<std::pair<int, std::string>>{
             {5, "movie.avi"}, {1, "archive.tar.gz"}, {3, "ﾌｧｲﾙ～名.txt"}, {2, "Müller.doc"}, {1500, "big.iso"},
             {2, "第1話〜最終話.avi"}, {4, "price¥100.txt"}, {3, "¢£¬—‖‾−.bin"}}) {
        ASSERT_TRUE(WriteJoinInfo(path, count, name));
        JoinInfo info;
        ASSERT_TRUE(ReadJoinInfo(path, info));
        EXPECT_EQ(info.count, count);
        EXPECT_EQ(info.sourceName, name);
    }

    WriteBytes(path, "012\r\nmovie.avi\r\nignored\r\n");
    JoinInfo info;
    ASSERT_TRUE(ReadJoinInfo(path, info));
    EXPECT_EQ(info.count, 12);
    EXPECT_EQ(info.sourceName, "movie.avi");

    WriteBytes(path, "005\r\n");
    EXPECT_EQ(ReadJoinInfo(path, info).Description(), "連結情報ﾌｧｲﾙの行が足りません") << "one line only";
    EXPECT_EQ(ReadJoinInfo(dir / "missing.000", info).Description(), std::strerror(ENOENT));
}

TEST(SplitSet, TheNamesASetTakesInItsFolder)
{
    const SplitSetNames n = SplitSetNamesFor("/data/x.avi", "/out/");
    EXPECT_EQ(n.ManifestPath(), "/out/x.sha256");
    for (const char* own : {"x.000", "x.001", "x.012", "x.bat", "x.BAT", "x.sha256"})
        EXPECT_TRUE(n.IsOwnFileName(own, 12)) << own;
    for (const char* other : {"x.013", "x.0012", "x.12", "x.avi", "x.", "xx.001", "x.001.avi"})
        EXPECT_FALSE(n.IsOwnFileName(other, 12)) << other;
    EXPECT_TRUE(SplitSetNamesFor("/d/big", "/o/").IsOwnFileName("big.1000", 1000));
}
