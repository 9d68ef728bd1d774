// The command-line routines over a names layer with Windows paths and short
// names, where every rule of the command line can be seen at work.
#include <gtest/gtest.h>

#include "CommandLine.h"
#include "FakeShortNames.h"

using namespace modCarver;

namespace {

class CommandLine : public ::testing::Test {
protected:
    void SetUp() override
    {
        CommandArgs.clear();
        names.AddRoot("C:");
        names.AddEntry("C:\\Program Files", "PROGRA~1");
        names.AddEntry("C:\\Program Files\\Data File.txt", "DATA~1.TXT");
        names.AddEntry("C:\\Program Files\\Second Notes.txt", "SECOND~1.TXT");
        names.AddEntry("C:\\Program Files\\readme.txt");
        names.AddEntry("C:\\Docs");
        names.AddEntry("C:\\Docs\\Letter.txt");
        names.AddRoot("\\\\server\\share");
        names.AddEntry("\\\\server\\share\\Directory One", "DIR~1");
        names.AddEntry("\\\\server\\share\\Directory One\\File One.txt", "FILE~1.TXT");
        names.AddRoot("\\\\my server\\my share");
        names.AddEntry("\\\\my server\\my share\\Directory One", "DIR~1");
        names.AddEntry("\\\\my server\\my share\\Directory One\\File One.txt", "FILE~1.TXT");
    }
    void TearDown() override { CommandArgs.clear(); }

    FakeShortNames names;
};

const char* const kDataFile = "C:\\Program Files\\Data File.txt";

TEST_F(CommandLine, NoArgumentsLeaveTheFileBoxEmpty)
{
    const char* argv[] = {"carver"};
    ParseArguments(1, argv, names);
    EXPECT_TRUE(CommandArgs.empty());
    EXPECT_EQ(CommandLineFileName(), "");
}

TEST_F(CommandLine, ShortNamesBecomeTheStoredLongNames)
{
    ParseCommandLine("C:\\PROGRA~1\\DATA~1.TXT", names);
    ASSERT_EQ(CommandArgs.size(), 1u);
    EXPECT_EQ(CommandArgs[0], kDataFile);
    EXPECT_EQ(CommandLineFileName(), kDataFile);

    // Letter case: the drive keeps what it arrived with, the rest is stored.
    ParseCommandLine("c:\\progra~1\\readme.TXT", names);
    EXPECT_EQ(CommandArgs[0], "c:\\Program Files\\readme.txt");
}

TEST_F(CommandLine, AnExistingLongNameWithSpacesIsTakenWhole)
{
    ParseCommandLine("c:\\program files\\data file.txt", names);
    ASSERT_EQ(CommandArgs.size(), 1u);
    EXPECT_EQ(CommandArgs[0], "c:\\program files\\data file.txt") << "taken as it stands, not resolved";
    EXPECT_TRUE(names.searches.empty());
}

TEST_F(CommandLine, SeveralNamesAreSplitAtSpacesAndEachResolved)
{
    ParseCommandLine("C:\\PROGRA~1\\DATA~1.TXT C:\\PROGRA~1\\SECOND~1.TXT", names);
    ASSERT_EQ(CommandArgs.size(), 2u);
    EXPECT_EQ(CommandArgs[0], kDataFile);
    EXPECT_EQ(CommandArgs[1], "C:\\Program Files\\Second Notes.txt");
    EXPECT_EQ(CommandLineFileName(), kDataFile);

    // Two spaces in a row give an empty element between the names.
    ParseCommandLine("C:\\DOCS\\LETTER.TXT  C:\\PROGRA~1\\DATA~1.TXT", names);
    ASSERT_EQ(CommandArgs.size(), 3u);
    EXPECT_EQ(CommandArgs[0], "C:\\Docs\\Letter.txt");
    EXPECT_EQ(CommandArgs[1], "");
    EXPECT_EQ(CommandArgs[2], kDataFile);

    // A long name with spaces among several names is split like any text;
    // its first piece names nothing in C:, leaving the drive's folder.
    ParseCommandLine("C:\\Program Files\\Data File.txt C:\\DOCS", names);
    ASSERT_EQ(CommandArgs.size(), 4u);
    EXPECT_EQ(CommandArgs[0], "C:\\");
    EXPECT_EQ(CommandArgs[3], "C:\\Docs");
}

TEST_F(CommandLine, NetworkPathsKeepServerAndShare)
{
    ParseCommandLine("\\\\server\\share\\DIR~1\\FILE~1.TXT", names);
    ASSERT_EQ(CommandArgs.size(), 1u);
    EXPECT_EQ(CommandArgs[0], "\\\\server\\share\\Directory One\\File One.txt");

    ParseCommandLine("\\\\SERVER\\Share\\dir~1\\file~1.txt", names);
    EXPECT_EQ(CommandArgs[0], "\\\\SERVER\\Share\\Directory One\\File One.txt");
    for (const std::string& searched : names.searches)
        EXPECT_NE(searched, "\\\\SERVER\\Share") << "a share is never searched for";

    // Spaces inside the server and share names do not split the argument...
    ParseCommandLine("\\\\my server\\my share\\DIR~1\\FILE~1.TXT", names);
    ASSERT_EQ(CommandArgs.size(), 1u);
    EXPECT_EQ(CommandArgs[0], "\\\\my server\\my share\\Directory One\\File One.txt");

    // ...but the space after the path still ends it.
    ParseCommandLine("\\\\my server\\my share\\DIR~1\\FILE~1.TXT C:\\PROGRA~1\\DATA~1.TXT", names);
    ASSERT_EQ(CommandArgs.size(), 2u);
    EXPECT_EQ(CommandArgs[0], "\\\\my server\\my share\\Directory One\\File One.txt");
    EXPECT_EQ(CommandArgs[1], kDataFile);
}

TEST_F(CommandLine, MissingNames)
{
    // The file is missing, its folder exists: the folder's long form and a separator.
    ParseCommandLine("C:\\PROGRA~1\\MISSING.TXT", names);
    EXPECT_EQ(CommandArgs[0], "C:\\Program Files\\");

    // A missing folder on the way is kept as typed rather than dropped, so
    // the result never names another, existing place.
    ParseCommandLine("C:\\NOWHERE\\PROGRA~1\\DATA~1.TXT", names);
    EXPECT_EQ(CommandArgs[0], "C:\\NOWHERE\\PROGRA~1\\DATA~1.TXT");
    ParseCommandLine("C:\\PROGRA~1\\NEW\\file.txt", names);
    EXPECT_EQ(CommandArgs[0], "C:\\Program Files\\NEW\\file.txt");

    // A drive that does not exist: nothing can be searched, the text stays.
    ParseCommandLine("Q:\\SOME~1\\FILE.TXT", names);
    EXPECT_EQ(CommandArgs[0], "Q:\\SOME~1\\FILE.TXT");
}

TEST_F(CommandLine, UnresolvableArgumentsDoNotStopTheStartUp)
{
    // Quotes are ordinary characters: the quoted name splits at its spaces
    // and every piece keeps what was typed.
    ParseCommandLine("\"C:\\Program Files\\Data File.txt\"", names);
    ASSERT_EQ(CommandArgs.size(), 3u);
    EXPECT_EQ(CommandArgs[0], "\"C:\\Program");
    EXPECT_EQ(CommandArgs[1], "Files\\Data");
    EXPECT_EQ(CommandArgs[2], "File.txt\"");
    EXPECT_EQ(CommandLineFileName(), "\"C:\\Program");

    // Names without a folder, blank texts and the empty text.
    ParseCommandLine("notes.txt", names);
    EXPECT_EQ(CommandArgs[0], "notes.txt");
    ParseCommandLine("", names);
    ASSERT_EQ(CommandArgs.size(), 1u);
    EXPECT_EQ(CommandArgs[0], "");
    ParseCommandLine(" ", names);
    ASSERT_EQ(CommandArgs.size(), 2u);
    EXPECT_EQ(CommandLineFileName(), "");
}

TEST_F(CommandLine, ArgumentsSplitByTheShellAreEachResolved)
{
    const char* argv[] = {"carver", "C:\\Program Files\\Data File.txt", "C:\\PROGRA~1\\SECOND~1.TXT", "  notes  "};
    ParseArguments(4, argv, names);
    ASSERT_EQ(CommandArgs.size(), 3u);
    EXPECT_EQ(CommandArgs[0], kDataFile);
    EXPECT_EQ(CommandArgs[1], "C:\\Program Files\\Second Notes.txt");
    EXPECT_EQ(CommandArgs[2], "  notes  ");

    const char* padded[] = {"carver", "  notes  "};
    ParseArguments(2, padded, names);
    EXPECT_EQ(CommandLineFileName(), "notes") << "the file box gets element 0 trimmed";
}

TEST_F(CommandLine, ShortPathOf)
{
    EXPECT_EQ(ShortPathOf(kDataFile, names), "C:\\PROGRA~1\\DATA~1.TXT");
    EXPECT_EQ(ShortPathOf("C:\\Program Files\\readme.txt", names), "C:\\PROGRA~1\\readme.txt");
    EXPECT_EQ(ShortPathOf("C:\\Program Files\\*.*", names), "C:\\PROGRA~1\\*.*");
    EXPECT_EQ(ShortPathOf("C:\\Nowhere\\*.*", names), "C:\\Nowhere\\*.*");
    EXPECT_EQ(ShortPathOf("C:\\Program Files\\Data File.txt C:\\Docs", names),
              "C:\\Program Files\\Data File.txt C:\\Docs")
        << "several names name nothing: unchanged";

    // An entry that names everything in a folder counts as one name.
    ParseCommandLine("C:\\Program Files\\*.*", names);
    ASSERT_EQ(CommandArgs.size(), 1u);
    EXPECT_EQ(CommandArgs[0], "C:\\Program Files\\*.*");
}

TEST_F(CommandLine, LongPathOfEdgeCases)
{
    EXPECT_EQ(LongPathOf("", names), "");
    EXPECT_EQ(LongPathOf("   ", names), "");
    EXPECT_EQ(LongPathOf("C:", names), "C:");
    EXPECT_EQ(LongPathOf("C:\\", names), "C:\\");
    EXPECT_EQ(LongPathOf("C:\\PROGRA~1\\", names), "C:\\Program Files\\");
    EXPECT_EQ(LongPathOf("\\\\server", names), "\\\\server");
    EXPECT_EQ(LongPathOf("\\\\server\\share", names), "\\\\server\\share");
}

TEST(JoinPathParts, OneSeparatorWhereTheyMeet)
{
    EXPECT_EQ(JoinPathParts("C:", "data", '\\'), "C:\\data");
    EXPECT_EQ(JoinPathParts("C:\\", "\\data", '\\'), "C:\\data");
    EXPECT_EQ(JoinPathParts("C:\\data", "", '\\'), "C:\\data\\");
    EXPECT_EQ(JoinPathParts("/home", "user"), "/home/user");
    EXPECT_EQ(JoinPathParts("/home/", "/user"), "/home/user");
}

}  // namespace
