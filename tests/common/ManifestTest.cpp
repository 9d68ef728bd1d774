#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "Manifest.h"
#include "Sha256SumCheck.h"
#include "TempFolder.h"

namespace {

const std::string kHash = "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef";
const std::string kUpper = "0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF";

TEST(Manifest, LinesWrittenAndReadAsSha256sumDoes)
{
    struct Case {
        std::string line;
        std::optional<ManifestEntry> entry;
        bool written;  // the line the writer gives for the entry
    };
    const auto E = [](const std::string& name) { return std::optional<ManifestEntry>({name, kHash}); };
    const Case cases[] = {
        {kHash + "  my movie.001", E("my movie.001"), true},
        {kHash + "  動画 ﾌｧｲﾙ.002", E("動画 ﾌｧｲﾙ.002"), true},
        {"\\" + kHash + "  a\\\\b\\nc\\r", E("a\\b\nc\r"), true},  // backslash, LF, CR escaped
        {kHash + "  *star", E("*star"), true},
        {kHash + " *movie.001", E("movie.001"), false},  // the binary marker
        {" \t" + kUpper + "  movie.001\r", E("movie.001"), false},
        {kHash + "  a\\b", E("a\\b"), false},  // not escaped: taken as it stands
        {"\\" + kHash + "  a\\tb", std::nullopt, false},
        {"\\" + kHash + "  end\\", std::nullopt, false},
        {kHash + "  ", std::nullopt, false},
        {kHash + " movie.001", std::nullopt, false},
        {kHash.substr(1) + "  movie.001", std::nullopt, false},
        {"g" + kHash.substr(1) + "  movie.001", std::nullopt, false},
        {kHash + "  nul" + std::string(1, '\0'), std::nullopt, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseManifestLine(c.line), c.entry) << c.line;
        if (c.written) {
            EXPECT_EQ(ManifestLine(*c.entry), c.line);
        }
    }
}

TEST(Manifest, ReadSkipsAndCountsWhatIsNoLine)
{
    TempFolder dir;
    const std::string other(64, 'f');
    WriteBytes(dir / "m.sha256", "# by hand\n" + kHash + "  movie.001\n\n  \r\n" + "damaged\n" + other +
                                     "  movie.001\n" + std::string(5000, 'x') + "\n" + other + "  movie.avi");
    Manifest m;
    ASSERT_TRUE(Manifest::Read(dir / "m.sha256", m).ok());
    EXPECT_EQ(m.Entries(), (std::vector<ManifestEntry>{{"movie.001", kHash}, {"movie.avi", other}}));
    EXPECT_EQ(m.SkippedLines(), 3) << "the damaged line, the second movie.001 and the overlong line";
    EXPECT_EQ(m.HashOf("movie.001"), kHash) << "the first line for a name counts";
    EXPECT_EQ(m.HashOf("movie.002"), std::nullopt);
    EXPECT_FALSE(Manifest::Read(dir / "missing.sha256", m).ok());
}

TEST(Manifest, Sha256sumChecksWhatWasWrittenAndReadsItBack)
{
    TempFolder dir;
    std::vector<ManifestEntry> entries;
    for (const std::string name : {"with space.001", "日本語.002", "back\\slash", "line\nfeed", "carriage\rreturn"}) {
        const std::string bytes = PatternBytes(5000, static_cast<uint32_t>(name.size()));
        WriteBytes(dir / name, bytes);
        entries.push_back({name, Sha256Hex(bytes)});
    }
    ASSERT_TRUE(WriteManifest(dir / "set.sha256", entries).ok());
    Sha256SumResult r = RunSha256SumCheck(dir.Path(), "set.sha256");
    EXPECT_EQ(r.status, 0) << r.output;
    Manifest m;
    ASSERT_TRUE(Manifest::Read(dir / "set.sha256", m).ok());
    EXPECT_EQ(m.Entries(), entries);

    WriteBytes(dir / "with space.001", "changed");
    r = RunSha256SumCheck(dir.Path(), "set.sha256");
    EXPECT_NE(r.output.find("with space.001: FAILED"), std::string::npos) << r.output;

    ASSERT_EQ(::mkdir((dir / "folder.sha256").c_str(), 0755), 0);
    EXPECT_FALSE(WriteManifest(dir / "folder.sha256", entries).ok());

    // Cut short (here by a file-size limit, as by a full disk), it is removed:
    // a manifest is whole or not there.
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{100, 100};
        ::_exit(::setrlimit(RLIMIT_FSIZE, &limit) == 0 && !WriteManifest(dir / "cut.sha256", entries).ok() ? 0 : 1);
    }
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_EQ(status, 0) << "the write failed";
    EXPECT_FALSE(FileExists(dir / "cut.sha256"));
}

TEST(Manifest, PathBesideAJoinInfoFile)
{
    EXPECT_EQ(ManifestPathFor("/media/usb/movie.000"), "/media/usb/movie.sha256");
    EXPECT_EQ(ManifestPathFor("/data/my.set.000"), "/data/my.set.sha256");
    EXPECT_EQ(ManifestPathFor("movie.000"), "movie.sha256");
}

}  // namespace
