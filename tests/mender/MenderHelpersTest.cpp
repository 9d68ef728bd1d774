// FolderOf, the name preview of LoadAfterFileName and the rule of a set's piece sizes.
#include <gtest/gtest.h>

#include <unistd.h>

#include "Files.h"
#include "JoinSteps.h"
#include "JoinTestSupport.h"
#include "TempFolder.h"
#include "modMender.h"

namespace {

// Runs with the current directory set to a folder, restoring it afterwards.
class InFolder {
public:
    explicit InFolder(const std::string& folder) : previous_(CurrentDirectory())
    {
        if (::chdir(folder.c_str()) != 0) ADD_FAILURE() << "chdir " << folder;
    }
    ~InFolder()
    {
        if (::chdir(previous_.c_str()) != 0) ADD_FAILURE() << "chdir back to " << previous_;
    }

private:
    std::string previous_;
};

}  // namespace

TEST(FolderOf, TheTextBeforeTheLastSeparatorOrTheCurrentDirectory)
{
    using modMender::FolderOf;
    EXPECT_EQ(FolderOf("/data/movie.000"), "/data");
    EXPECT_EQ(FolderOf("/movie.000"), "") << "the root, once a separator is added";
    EXPECT_EQ(FolderOf("/data/"), "/data");
    EXPECT_EQ(FolderOf("/"), "");
    EXPECT_EQ(FolderOf("sets/movie.000"), "sets");
    EXPECT_EQ(FolderOf("movie.000"), CurrentDirectory());
    // A backslash is an ordinary character of a Linux file name.
    EXPECT_EQ(FolderOf("C:\\data\\movie.000"), CurrentDirectory());
    {
        InFolder root("/");
        EXPECT_EQ(FolderOf("movie.000"), "");
    }
}

TEST(FolderOf, AJoinInfoFileGivenWithoutAFolderIsLookedForHere)
{
    TempFolder dir;
    const TestSet set = MakeSet(dir.Path(), "movie.", "movie.avi", {10, 20});
    InFolder here(dir.Path());
    JoinRun run;
    run.Run("movie.000", "out");
    EXPECT_EQ(ReadBytes(dir / "out/movie.avi"), set.Joined());
    EXPECT_EQ(run.ui.Texts().size(), 1u);
}

TEST(LoadAfterFileName, ShowsLineTwoOrNothing)
{
    TempFolder dir;
    MakeSet(dir.Path(), "movie.", "movie.avi", {10});
    MakeSet(dir.Path(), "jp.", "\x93\xAE\x89\xE6.avi", {10});
    WriteBytes(dir / "short.000", "001\r\n");
    FakeJoinerWindow window;

    window.ketugoFileName = "  " + dir / "movie.000" + " ";
    modMender::LoadAfterFileName(window);
    EXPECT_EQ(window.afterFileName, "movie.avi");

    window.ketugoFileName = dir / "jp.000";
    modMender::LoadAfterFileName(window);
    EXPECT_EQ(window.afterFileName, "動画.avi");

    window.ketugoFileName = dir / "short.000";
    modMender::LoadAfterFileName(window);
    EXPECT_EQ(window.afterFileName, "") << "no line 2";

    window.afterFileName = "earlier";
    window.ketugoFileName = dir / "missing.000";
    modMender::LoadAfterFileName(window);
    EXPECT_EQ(window.afterFileName, "");

    window.afterFileName = "kept";
    window.ketugoFileName = "   ";
    modMender::LoadAfterFileName(window);
    EXPECT_EQ(window.afterFileName, "kept") << "a blank box does nothing";
}

TEST(LoadAfterFileName, AFirstPieceShowsItsNameWithoutTheNumber)
{
    TempFolder dir;
    WriteBytes(dir / "x.7z.001", "7z volume");
    WriteBytes(dir / "movie.001", "not a join-info file");
    struct Case { std::string path, shown; };
    const Case cases[] = {
        {dir / "x.7z.001", "x.7z"},
        {" " + dir / "movie.001 ", "movie"},  // read as a name, not as a join-info file
        {"relative/backup.tar.001", "backup.tar"},
    };
    for (const Case& c : cases) {
        FakeJoinerWindow window;
        window.afterFileName = "earlier";
        window.ketugoFileName = c.path;
        modMender::LoadAfterFileName(window);
        EXPECT_EQ(window.afterFileName, c.shown) << c.path;
    }
}

TEST(OddSizedPiece, NamesThePieceNoSplitWouldHaveMade)
{
    using Lengths = std::vector<int64_t>;
    const std::vector<int64_t> tail(28, 50000);
    Lengths adjusted{49152};
    adjusted.insert(adjusted.end(), tail.begin(), tail.end());
    adjusted.push_back(50848);  // the last takes what the first fell short
    const struct {
        Lengths lengths;
        std::optional<int32_t> odd;
    } cases[] = {
        {{}, std::nullopt},
        {{0}, std::nullopt},  // the only piece may be empty
        {{1417216, 1421312, 161472}, std::nullopt},
        {{100000, 100000, 100000, 50000}, std::nullopt},  // split -d, archive volumes
        {adjusted, std::nullopt},
        {{100, 0}, 2},
        {{0, 100}, 1},
        {{1417216, 1000000, 161472}, 2},           // a middle piece cut short
        {{1417216, 0, 161472}, 2},                 // cut to nothing
        {{1417216, 1421312, 1421318, 161472}, 3},  // six bytes longer
        {{1417216, 1421312, 1421312, 1430000}, 4}, // a last piece longer than any split leaves
    };
    for (const auto& c : cases) EXPECT_EQ(modMender::OddSizedPiece(c.lengths), c.odd) << ::testing::PrintToString(c.lengths);
}
