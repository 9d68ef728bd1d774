#include <gtest/gtest.h>

#include "CarverCliOptions.h"
#include "MenderCliOptions.h"

TEST(CarverCliSizes, PresetsCustomKilobytesAndBytes)
{
    const std::pair<const char*, double> sizes[] = {
        // The window's presets, also where a suffix would read them otherwise.
        {"1.44MB", 1421000}, {"1.25MB", 1220000}, {"640KB", 634000}, {"720KB", 713000},
        {"100MB", 95000000}, {"128MB", 100000000}, {"230MB", 227000000}, {"640MB", 628000000},
        // Bytes, and the multipliers of GNU split.
        {"4096", 4096}, {"1500KB", 1500000}, {"2MB", 2000000}, {"10kB", 10000},
        {"10K", 10240}, {"10k", 10240}, {"10KiB", 10240}, {"3M", 3145728}, {"3m", 3145728}, {"3MiB", 3145728},
        {"2G", 2147483648.0}, {"2GiB", 2147483648.0}, {"2GB", 2000000000}, {"0010K", 10240},
        {"9007199254740992", 9007199254740992.0}, {"8388608G", 9007199254740992.0},
    };
    for (const auto& [word, bytes] : sizes) EXPECT_EQ(SplitSizeFromWord(word), bytes) << word;
    for (const char* bad : {"0", "0KB", "0M", "-5", "-5KB", "+5", "abc", "KB", "M", "1.5KB", "1.5M", "12.6", "", "1e6",
                            "10 K", " 10", "10Kb", "10kb", "10g", "10gB", "10T", "10KiBB", "1.44mb",
                            "99999999999999999", "9007199254740993", "8388609G", "99999999999999999999999G"})
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

    o = ParseCarverCli({"a", "--for", "--no", "b", "-q"}, error);
    ASSERT_TRUE(o) << error;
    EXPECT_TRUE(o->common.force && o->common.quiet && !o->writeManifest && !o->common.yes);

    o = ParseCarverCli({"--size=12KB", "--fixed", "--", "-odd name", "b"}, error);
    ASSERT_TRUE(o) << error;
    EXPECT_EQ(o->splitSize, 12000);
    EXPECT_EQ(o->source, "-odd name");
    EXPECT_EQ(o->common.removable, false);
    EXPECT_FALSE(o->recovery) << "no recovery data unless asked for";

    o = ParseCarverCli({"-r", "5%", "a", "b"}, error);
    ASSERT_TRUE(o && o->recovery) << error;
    EXPECT_EQ(modCarver::RecoverySlicesFor(*o->recovery, 756), 38u) << "5% of 756 rounded up";
    o = ParseCarverCli({"--recovery=3", "a", "b"}, error);
    ASSERT_TRUE(o && o->recovery) << error;
    EXPECT_EQ(modCarver::RecoverySlicesFor(*o->recovery, 756), 3u);
    EXPECT_EQ(modCarver::RecoverySlicesFor(*ParseCarverCli({"-r1%", "a", "b"}, error)->recovery, 5), 1u);

    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
             {"a"}, {"a", "b", "c"}, {"-s", "0", "a", "b"}, {"-x", "a", "b"}, {"a", "b", "-s"},
             {"--removable", "--fixed", "a", "b"}, {"-s", "1.5M", "a", "b"}, {"--batch=1", "a", "b"},
             {"-r", "0", "a", "b"}, {"-r", "101%", "a", "b"}, {"-r", "5x", "a", "b"}, {"-r", "32769", "a", "b"},
             {"--recovery=-1", "a", "b"}}) {
        error.clear();
        EXPECT_FALSE(ParseCarverCli(bad, error));
        EXPECT_FALSE(error.empty());
    }
    // The reasons name what was wrong.
    const std::pair<std::vector<std::string>, std::string> reasons[] = {
        {{"--f", "a", "b"}, "ambiguous option: --f (--force, --fixed)"},
        {{"--bogus", "a", "b"}, "unknown option: --bogus"},
        {{"-bx", "a", "b"}, "unknown option: -x"},
        {{"a", "b", "--size"}, "option --size needs an argument"},
        {{"--yes=1", "a", "b"}, "option --yes takes no argument"},
    };
    for (const auto& [args, reason] : reasons) {
        error.clear();
        EXPECT_FALSE(ParseCarverCli(args, error));
        EXPECT_EQ(error, reason);
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
    o = ParseMenderCli({"x.000", "-dyq", "--rem", "out", "--forc"}, error);
    ASSERT_TRUE(o) << error;
    EXPECT_TRUE(o->deleteAsItGoes && o->common.yes && o->common.quiet && o->common.force);
    EXPECT_EQ(o->common.removable, true);
    EXPECT_EQ(o->joinInfo, "x.000");
    EXPECT_EQ(o->folder, "out");
    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
             {}, {"x.000"}, {"a", "b", "c"}, {"--size", "a", "b"}, {"-b", "a", "b"}}) {
        error.clear();
        EXPECT_FALSE(ParseMenderCli(bad, error));
        EXPECT_FALSE(error.empty());
    }
}
