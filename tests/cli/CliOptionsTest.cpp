#include <gtest/gtest.h>

#include "CarverCliOptions.h"
#include "MenderCliOptions.h"
#include "ScopedLocale.h"

TEST(CarverCliSizes, PresetsCustomKilobytesAndBytes)
{
    const std::pair<const char*, double> sizes[] = {
        // The window's presets, also where a suffix would read them otherwise.
        {"1.44MB", 1421000}, {"1.25MB", 1220000}, {"640KB", 634000}, {"720KB", 713000},
        {"100MB", 95000000}, {"128MB", 100000000}, {"230MB", 227000000}, {"640MB", 628000000},
        // Bytes, and the multipliers of GNU split, as maxima in whole blocks of 4096 bytes.
        {"4096", 4096}, {"1500KB", 1499136}, {"2MB", 1998848}, {"10kB", 8192}, {"25MB", 24997888},
        {"10K", 8192}, {"10k", 8192}, {"10KiB", 8192}, {"3M", 3145728}, {"3m", 3145728}, {"3MiB", 3145728},
        {"2G", 2147483648.0}, {"2GiB", 2147483648.0}, {"2GB", 1999998976}, {"0010K", 8192}, {"1000001", 999424},
        {"9007199254740992", 9007199254740992.0}, {"8388608G", 9007199254740992.0}, {"4G", 4294967296.0},
        // Never below one block; the largest whole-block file of FAT32.
        {"1", 4096}, {"4095", 4096}, {"8191", 4096}, {"1K", 4096}, {"fat32", 4294963200.0},
    };
    for (const auto& [word, bytes] : sizes) EXPECT_EQ(SplitSizeFromWord(word), bytes) << word;
    for (const char* bad : {"0", "0KB", "0M", "-5", "-5KB", "+5", "abc", "KB", "M", "1.5KB", "1.5M", "12.6", "", "1e6",
                            "10 K", " 10", "10Kb", "10kb", "10g", "10gB", "10T", "10KiBB", "1.44mb",
                            "99999999999999999", "9007199254740993", "8388609G", "99999999999999999999999G"})
        EXPECT_FALSE(SplitSizeFromWord(bad)) << bad;
}

// The size for N pieces: whole blocks, the smallest size that needs no more than N.
TEST(CarverCliSizes, SizeForANumberOfPieces)
{
    struct Case {
        int64_t length, pieces;
        double size;
    };
    const Case cases[] = {
        {10000, 3, 4096},            // 4096 + 4096 + 1808
        {2900000, 3, 970752},        // 709 blocks: 237 + 237 + 235
        {40961, 4, 12288},           // three of 3 blocks, the last one byte more than a block
        {36864, 4, 12288},           // 9 blocks do not share out into 4: three pieces
        {40960, 1, 40960}, {100, 1000, 4096}, {0, 5, 4096}, {-1, 5, 4096},
        {int64_t(1) << 40, 2, 549755813888.0},
    };
    for (const Case& c : cases) EXPECT_EQ(SplitSizeForPieces(c.length, c.pieces), c.size) << c.length << "/" << c.pieces;
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
    EXPECT_EQ(o->splitSize, 8192) << "12000 bytes at most: two whole blocks";
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
    // The reasons name what was wrong (here as an English user reads them).
    const ScopedLanguage english({{"LANGUAGE", "en"}, {"LANG", "en_US.UTF-8"}}, CATALOG_FOLDER);
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
    // -n: a number of pieces, never with -s.
    o = ParseCarverCli({"-n", "3", "a", "b"}, error);
    ASSERT_TRUE(o) << error;
    EXPECT_EQ(o->pieces, 3);
    for (const auto& [args, reason] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"-n", "0", "a", "b"}, "not a valid number of pieces: '0'"},
             {{"--number=-2", "a", "b"}, "not a valid number of pieces: '-2'"},
             {{"-n3x", "a", "b"}, "not a valid number of pieces: '3x'"},
             {{"-n", "3", "-s", "1M", "a", "b"}, "-s and -n cannot be combined"},
             {{"-s1.44MB", "--num", "2", "a", "b"}, "-s and -n cannot be combined"}}) {
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
