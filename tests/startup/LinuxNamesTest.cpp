// The command line over the real names of this system, on real folders.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "CommandLine.h"
#include "TempFolder.h"

using namespace modCarver;

namespace {

class LinuxCommandLine : public ::testing::Test {
protected:
    void SetUp() override
    {
        CommandArgs.clear();
        ASSERT_EQ(::mkdir((temp / "My Folder").c_str(), 0755), 0);
        WriteBytes(temp / "My Folder/Data File.txt", "data");
        WriteBytes(temp / "My Folder/動画 ﾌｧｲﾙ.avi", "movie");
    }
    void TearDown() override { CommandArgs.clear(); }

    TempFolder temp;
};

TEST_F(LinuxCommandLine, ExistingNamesWithSpacesArriveWhole)
{
    const std::string data = temp / "My Folder/Data File.txt";
    const std::string movie = temp / "My Folder/動画 ﾌｧｲﾙ.avi";
    const char* argv[] = {"carver", data.c_str(), movie.c_str()};
    ParseArguments(3, argv);
    ASSERT_EQ(CommandArgs.size(), 2u);
    EXPECT_EQ(CommandArgs[0], data);
    EXPECT_EQ(CommandArgs[1], movie);
    EXPECT_EQ(CommandLineFileName(), data);
}

TEST_F(LinuxCommandLine, FoldersAndMissingNames)
{
    const std::string folder = temp / "My Folder";
    EXPECT_EQ(LongPathOf(folder), folder);
    EXPECT_EQ(LongPathOf(folder + "/"), folder + "/");
    EXPECT_EQ(LongPathOf(folder + "/missing.bin"), folder + "/") << "the folder of a missing file";
    EXPECT_EQ(LongPathOf(temp / "gone/sub/file.bin"), temp / "gone/sub/file.bin") << "kept as typed";
    EXPECT_EQ(LongPathOf("relative.bin"), "relative.bin");
}

TEST_F(LinuxCommandLine, ShortNamesDoNotExistHere)
{
    const std::string data = temp / "My Folder/Data File.txt";
    EXPECT_EQ(ShortPathOf(data), data);
    EXPECT_EQ(ShortPathOf(temp / "missing"), temp / "missing");
    EXPECT_EQ(SystemNames().ShortPathName(temp / "missing"), std::nullopt);
    EXPECT_EQ(SystemNames().StoredEntryName(temp / "gone/file"), std::nullopt);
    EXPECT_EQ(SystemNames().StoredEntryName(temp / "missing"), std::string());
    EXPECT_EQ(SystemNames().StoredEntryName(data), "Data File.txt");
}

}  // namespace
