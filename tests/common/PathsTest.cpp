#include <gtest/gtest.h>

#include "FakePlatform.h"
#include "Paths.h"

TEST(Paths, WithBackslash)
{
    EXPECT_EQ(WithBackslash("/data"), "/data/");
    EXPECT_EQ(WithBackslash("/data/"), "/data/");
    EXPECT_EQ(WithBackslash("data"), "data/");
    EXPECT_EQ(WithBackslash(""), "/");
    EXPECT_EQ(WithBackslash("/data//"), "/data//");
    EXPECT_EQ(WithBackslash("C:\\data"), "C:\\data/") << "a backslash is an ordinary character here";
}

TEST(Paths, FileNameOf)
{
    EXPECT_EQ(FileNameOf("/data/movie.avi"), "movie.avi");
    EXPECT_EQ(FileNameOf("movie.avi"), "movie.avi");
    EXPECT_EQ(FileNameOf("/data/"), "");
    EXPECT_EQ(FileNameOf("C:movie.avi"), "C:movie.avi");
    EXPECT_EQ(FileNameOf("C:\\data\\movie.avi"), "C:\\data\\movie.avi");
    EXPECT_EQ(FileNameOf(""), "");
    EXPECT_EQ(FileNameOf("/動画/ﾌｧｲﾙ.avi"), "ﾌｧｲﾙ.avi");
}

TEST(Paths, BaseNameOf)
{
    EXPECT_EQ(BaseNameOf("movie.avi"), "movie");
    EXPECT_EQ(BaseNameOf("archive.tar.gz"), "archive");
    EXPECT_EQ(BaseNameOf("README"), "README");
    EXPECT_EQ(BaseNameOf(".profile"), "");
    EXPECT_EQ(BaseNameOf("movie."), "movie");
    EXPECT_EQ(BaseNameOf(""), "");
    EXPECT_EQ(BaseNameOf("/a.b/c"), "c") << "only the file name counts";
}

namespace {
class FakeTextBox : public TextBox {
public:
    std::string text;
    int start = -1, length = -1;
    std::string Text() const override { return text; }
    void SetSelection(int s, int l) override { start = s, length = l; }
};
}  // namespace

TEST(Paths, SelectAllTextCountsCharacters)
{
    FakeTextBox box;
    SelectAllText(box);
    EXPECT_EQ(box.start, 0);
    EXPECT_EQ(box.length, 0);
    box.text = "/ﾃﾞｰﾀ/動画.avi";
    SelectAllText(box);
    EXPECT_EQ(box.start, 0);
    EXPECT_EQ(box.length, 12);
}

TEST(Paths, OpenFolderWindowPassesTheFolderAsItIs)
{
    FakeShell shell;
    OpenFolderWindow("/no such folder", shell);
    OpenFolderWindow("", shell);
    EXPECT_EQ(shell.opened, (std::vector<std::string>{"/no such folder", ""}));
}
