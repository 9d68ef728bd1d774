#include <gtest/gtest.h>

#include "CarverCliOptions.h"
#include "MenderCliOptions.h"

TEST(CarverCliSizes, PresetsCustomKilobytesAndBytes)
{
    EXPECT_EQ(SplitSizeFromWord("1.44MB"), 1421000);
    EXPECT_EQ(SplitSizeFromWord("1.25MB"), 1220000);
    EXPECT_EQ(SplitSizeFromWord("640KB"), 634000);
    EXPECT_EQ(SplitSizeFromWord("720KB"), 713000);
    EXPECT_EQ(SplitSizeFromWord("100MB"), 95000000);
    EXPECT_EQ(SplitSizeFromWord("128MB"), 100000000);
    EXPECT_EQ(SplitSizeFromWord("230MB"), 227000000);
    EXPECT_EQ(SplitSizeFromWord("640MB"), 628000000);
    EXPECT_EQ(SplitSizeFromWord("1500KB"), 1500000);
    EXPECT_EQ(SplitSizeFromWord("4096"), 4096);
    for (const char* bad : {"0", "0KB", "-5", "-5KB", "abc", "2MB", "KB", "1.5KB", "12.6", "", "1e6", "99999999999999999"})
        EXPECT_FALSE(SplitSizeFromWord(bad)) << bad;
}

TEST(CarverCliOptions, FlagsOperandsAndUsageErrors)
{
    std::string error;
    auto o = ParseCarverCli({"-b", "-m", "--size", "640KB", "-y", "--removable", "--no-checksum", "src", "dst"}, error);
    ASSERT_TRUE(o) << error;
    EXPECT_TRUE(o->batch && o->setDate && o->common.yes);
    EXPECT_FALSE(o->writeManifest);
    EXPECT_EQ(o->splitSize, 634000);
    EXPECT_EQ(o->common.removable, true);
    EXPECT_EQ(o->source, "src");
    EXPECT_EQ(o->folder, "dst");

    o = ParseCarverCli({"a", "b"}, error);
    ASSERT_TRUE(o);
    EXPECT_EQ(o->splitSize, 1421000) << "1.44MB by default";
    EXPECT_FALSE(o->batch || o->setDate || o->common.yes);
    EXPECT_TRUE(o->writeManifest) << "a set checks itself unless told not to";
    EXPECT_FALSE(o->common.removable) << "the drive kind as the system says";

    o = ParseCarverCli({"--size=12KB", "--fixed", "--", "-odd name", "b"}, error);
    ASSERT_TRUE(o) << error;
    EXPECT_EQ(o->splitSize, 12000);
    EXPECT_EQ(o->source, "-odd name");
    EXPECT_EQ(o->common.removable, false);

    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
             {"a"}, {"a", "b", "c"}, {"-s", "0", "a", "b"}, {"-x", "a", "b"}, {"a", "b", "-s"},
             {"--removable", "--fixed", "a", "b"}}) {
        error.clear();
        EXPECT_FALSE(ParseCarverCli(bad, error));
        EXPECT_FALSE(error.empty());
    }
    EXPECT_TRUE(ParseCarverCli({"--help"}, error)->common.help);
    EXPECT_TRUE(ParseCarverCli({"--version"}, error)->common.version);
}

TEST(MenderCliOptions, FlagsOperandsAndUsageErrors)
{
    std::string error;
    auto o = ParseMenderCli({"-d", "--fixed", "-y", "x.000", "out"}, error);
    ASSERT_TRUE(o) << error;
    EXPECT_TRUE(o->deleteAsItGoes && o->common.yes);
    EXPECT_EQ(o->common.removable, false);
    EXPECT_EQ(o->joinInfo, "x.000");
    EXPECT_EQ(o->folder, "out");
    for (const std::vector<std::string>& bad :
         std::vector<std::vector<std::string>>{{}, {"x.000"}, {"a", "b", "c"}, {"--size", "a", "b"}}) {
        error.clear();
        EXPECT_FALSE(ParseMenderCli(bad, error));
        EXPECT_FALSE(error.empty());
    }
}
