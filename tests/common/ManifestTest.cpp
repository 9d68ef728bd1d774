#include <gtest/gtest.h>

#include <sys/stat.h>

#include "Manifest.h"
#include "Sha256.h"
#include "Sha256SumCheck.h"
#include "SplitSet.h"
#include "TempFolder.h"

namespace {

const std::string kHash = "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef";
const std::string kUpper = "0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF";

std::string HashOf(const std::string& bytes)
{
    Sha256 hash;
    hash.Update(bytes);
    Sha256Digest digest;
    EXPECT_TRUE(hash.Finish(digest).ok());
    return HexOf(digest);
}

TEST(Manifest, LinesAsSha256sumWritesThem)
{
    struct Case {
        std::string name;
        std::string line;
    };
    const Case cases[] = {
        {"movie.001", kHash + "  movie.001"},
        {"my movie.001", kHash + "  my movie.001"},
        {"動画 ﾌｧｲﾙ.002", kHash + "  動画 ﾌｧｲﾙ.002"},
        {"a\\b.001", "\\" + kHash + "  a\\\\b.001"},
        {"two\nlines", "\\" + kHash + "  two\\nlines"},
        {"cr\r", "\\" + kHash + "  cr\\r"},
        {"*star", kHash + "  *star"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ManifestLine({c.name, kHash}), c.line) << c.name;
        EXPECT_EQ(ParseManifestLine(c.line), (ManifestEntry{c.name, kHash})) << c.name;
    }
}

TEST(Manifest, LinesReadAsSha256sumReadsThem)
{
    struct Case {
        std::string line;
        std::optional<ManifestEntry> entry;
    };
    const Case cases[] = {
        {kHash + " *movie.001", ManifestEntry{"movie.001", kHash}},   // the binary marker
        {kUpper + "  movie.001", ManifestEntry{"movie.001", kHash}},  // uppercase digits
        {" \t" + kHash + "  movie.001", ManifestEntry{"movie.001", kHash}},
        {kHash + "  movie.001\r", ManifestEntry{"movie.001", kHash}},  // CR LF line ends
        {kHash + "   lead", ManifestEntry{" lead", kHash}},
        {kHash + "  a\\b", ManifestEntry{"a\\b", kHash}},  // not escaped: taken as it stands
        {"\\" + kHash + "  a\\tb", std::nullopt},          // an escape sha256sum does not know
        {"\\" + kHash + "  end\\", std::nullopt},
        {kHash + "  ", std::nullopt},  // no name
        {kHash + " movie.001", std::nullopt},
        {kHash + "\tmovie.001", std::nullopt},
        {kHash.substr(1) + "  movie.001", std::nullopt},
        {kHash + "0  movie.001", std::nullopt},
        {"g" + kHash.substr(1) + "  movie.001", std::nullopt},
        {kHash + "  nul" + std::string(1, '\0'), std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseManifestLine(c.line), c.entry) << c.line;
}

TEST(Manifest, ReadSkipsAndCountsWhatIsNoLine)
{
    TempFolder dir;
    const std::string other(64, 'f');
    WriteBytes(dir / "m.sha256", "# made by hand\n" + kHash + "  movie.001\n\n  \r\n" + "damaged line\n" +
                                     other + "  movie.001\n" + std::string(5000, 'x') + "\n" + kUpper +
                                     " *movie.002\r\n" + other + "  movie.avi");
    Manifest m;
    ASSERT_TRUE(Manifest::Read(dir / "m.sha256", m).ok());
    EXPECT_EQ(m.Entries(), (std::vector<ManifestEntry>{{"movie.001", kHash}, {"movie.002", kHash}, {"movie.avi", other}}));
    EXPECT_EQ(m.SkippedLines(), 3) << "the damaged line, the second movie.001 and the overlong line";
    EXPECT_EQ(m.HashOf("movie.001"), kHash) << "the first line for a name counts";
    EXPECT_EQ(m.HashOf("movie.avi"), other) << "a last line without its LF";
    EXPECT_EQ(m.HashOf("movie.003"), std::nullopt);

    EXPECT_FALSE(Manifest::Read(dir / "missing.sha256", m).ok());
}

TEST(Manifest, WrittenAndReadBackWithTheOrderKept)
{
    TempFolder dir;
    std::vector<ManifestEntry> entries;
    for (int k = 1; k <= 3000; ++k) entries.push_back({"名前 " + std::to_string(k) + "\\\n", HashOf(std::to_string(k))});
    ASSERT_TRUE(WriteManifest(dir / "m.sha256", entries).ok());
    Manifest m;
    ASSERT_TRUE(Manifest::Read(dir / "m.sha256", m).ok());  // more than one read chunk
    EXPECT_EQ(m.Entries(), entries);
    EXPECT_EQ(m.SkippedLines(), 0);

    // A manifest that cannot be created is a failure, not a silent skip.
    ASSERT_EQ(::mkdir((dir / "folder.sha256").c_str(), 0755), 0);
    EXPECT_FALSE(WriteManifest(dir / "folder.sha256", entries).ok());
}

TEST(Manifest, Sha256sumChecksWhatWasWritten)
{
    TempFolder dir;
    std::vector<ManifestEntry> entries;
    for (const std::string name : {"plain.001", "with space.002", "日本語のﾌｧｲﾙ.003", "back\\slash.004", "line\nfeed",
                                   "carriage\rreturn", "*star"}) {
        const std::string bytes = PatternBytes(5000, static_cast<uint32_t>(name.size()));
        WriteBytes(dir / name, bytes);
        entries.push_back({name, HashOf(bytes)});
    }
    ASSERT_TRUE(WriteManifest(dir / "set.sha256", entries).ok());
    Sha256SumResult r = RunSha256SumCheck(dir.Path(), "set.sha256");
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(r.output.find("FAILED"), std::string::npos) << r.output;

    WriteBytes(dir / "with space.002", "changed");
    r = RunSha256SumCheck(dir.Path(), "set.sha256");
    EXPECT_EQ(r.status, 1) << r.output;
    EXPECT_NE(r.output.find("with space.002: FAILED"), std::string::npos) << r.output;
}

TEST(Manifest, PathBesideAJoinInfoFileOrASet)
{
    EXPECT_EQ(ManifestPathFor("/media/usb/movie.000"), "/media/usb/movie.sha256");
    EXPECT_EQ(ManifestPathFor("/data/my.set.000"), "/data/my.set.sha256");
    EXPECT_EQ(ManifestPathFor("movie.000"), "movie.sha256");
    EXPECT_EQ(SplitSetNamesFor("/data/archive.tar.gz", "/out/").ManifestPath(), "/out/archive.sha256");
}

}  // namespace
