#include <gtest/gtest.h>

#include <cstring>
#include <sys/stat.h>

#include "Manifest.h"
#include "Sha256SumCheck.h"
#include "SplitTestSupport.h"

namespace {

using Files = std::vector<std::string>;
const std::string kFailure = std::string(modCarver::kSplitFailed) + "\r\n";

struct ManifestRun : SplitRunTest {
    ManifestRun() { window.manifest = true; }

    static Files NamesListed(const std::string& manifestPath)
    {
        Manifest m;
        if (!Manifest::Read(manifestPath, m).ok()) return {"(no manifest)"};
        Files names;
        for (const auto& e : m.Entries()) names.push_back(e.name);
        return names;
    }
};

// Every piece has its line and nothing else has one: a plain `sha256sum -c`
// checks a complete set, and every byte is hashed once.
TEST_F(ManifestRun, PlainSha256sumChecksTheSet)
{
    for (const std::string name : {"movie.avi", "my movie.avi", "動画 ﾌｧｲﾙ.avi", "back\\slash.avi"}) {
        MakeSource(3000000, name);
        ASSERT_TRUE(Split(1421000)) << name;
        const std::string stem = BaseNameOf(name);
        EXPECT_EQ(NamesListed(dest / (stem + ".sha256")), (Files{stem + ".001", stem + ".002", stem + ".003"}));
        Sha256SumResult r = RunSha256SumCheck(dest.Path(), stem + ".sha256");
        EXPECT_EQ(r.status, 0) << r.output;
        EXPECT_EQ(std::count(r.output.begin(), r.output.end(), '\n'), 3) << r.output;

        WriteBytes(dest / (stem + ".002"), ReadBytes(dest / (stem + ".002")).substr(1));
        r = RunSha256SumCheck(dest.Path(), stem + ".sha256");
        EXPECT_EQ(r.status, 1) << "a piece one byte short fails: " << r.output;
    }
}

TEST_F(ManifestRun, AnOldManifestGoesWithTheSetItDescribed)
{
    for (const bool wanted : {false, true}) {
        MakeSource(3000000);
        WriteBytes(dest / "movie.sha256", std::string(64, '0') + "  movie.001\n");
        window.manifest = wanted;
        ui.questions.clear();
        ASSERT_TRUE(Split(1421000));
        // Alone at the destination the first time, it is asked about like any file of the set.
        const std::string asked = wanted ? "movie.000" : "movie.sha256";
        EXPECT_EQ(ui.questions.at(1).text, "分割先に「" + asked + "」があります　上書きしますか");
        const Files listed = wanted ? Files{"movie.001", "movie.002", "movie.003"} : Files{"(no manifest)"};
        EXPECT_EQ(NamesListed(dest / "movie.sha256"), listed);
    }
}

TEST_F(ManifestRun, ASourceNamedLikeOneOfTheSetsFilesGetsNoWholeFileLine)
{
    MakeSource(3000000, "x.002");
    ASSERT_TRUE(Split(1421000));
    EXPECT_EQ(NamesListed(dest / "x.sha256"), (Files{"x.001", "x.002", "x.003"}));
}

TEST_F(ManifestRun, ACancelledRunWritesNoManifest)
{
    MakeSource(3000000);
    ui.onYield = [&] {
        if (window.statusText.find("(3/3)") != std::string::npos) modCarver::CancelRequested = true;
    };
    EXPECT_TRUE(Split(1421000));
    EXPECT_EQ(FilesIn(dest.Path()), (Files{"movie.000", "movie.001", "movie.002", "movie.003"}));
}

TEST_F(ManifestRun, AManifestThatCannotBeWrittenFailsTheRun)
{
    MakeSource(3000000);
    // Something in its place that appears while the last piece is written.
    ui.onYield = [&] {
        if (window.statusText.find("(3/3)") != std::string::npos) ::mkdir((dest / "movie.sha256").c_str(), 0755);
    };
    EXPECT_FALSE(Split(1421000));
    EXPECT_EQ(ui.Texts().back(), kFailure + std::strerror(EISDIR));
    EXPECT_EQ(Joined(dest / "movie.000"), content) << "every piece was written before";
}

}  // namespace
