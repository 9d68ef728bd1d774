#include <gtest/gtest.h>

#include <random>

#include "BlockPlan.h"

using modCarver::ComputePieceCounts;
using modCarver::PiecePlan;
using modCarver::PieceRangeText;

namespace {

std::vector<int64_t> Sizes(const modCarver::PieceCounts& c, double firstDiskFree)
{
    const PiecePlan plan(c, firstDiskFree);
    std::vector<int64_t> sizes;
    for (int64_t k = 1; k <= c.pieceCount; ++k) sizes.push_back(plan.PieceBytes(k));
    return sizes;
}

TEST(PieceCounts, FromTheSourceLengthAndSplitSize)
{
    auto c = ComputePieceCounts(3000000, 1421000);
    EXPECT_EQ(c.standardBlocks, 347);
    EXPECT_EQ(c.fullPieces, 2);
    EXPECT_EQ(c.remainder, 158000);
    EXPECT_EQ(c.pieceCount, 3);

    c = ComputePieceCounts(3 * 1421000, 1421000);
    EXPECT_EQ(c.pieceCount, 3);
    EXPECT_EQ(c.remainder, 0);
    EXPECT_EQ(ComputePieceCounts(5, 1421000).pieceCount, 1);
    EXPECT_EQ(ComputePieceCounts(0, 1421000).pieceCount, 0);
    EXPECT_EQ(ComputePieceCounts(3000000, 0).pieceCount, 0);
    EXPECT_EQ(ComputePieceCounts(3000000, 0.4).pieceCount, 0) << "a size below one byte rounds to 0";
    EXPECT_EQ(ComputePieceCounts(-1, 1421000).pieceCount, 0) << "a length that cannot be taken";

    const int64_t big = 5LL * 1024 * 1024 * 1024 + 7;  // 64-bit lengths
    c = ComputePieceCounts(big, 628000000);
    EXPECT_EQ(c.fullPieces, big / 628000000);
    EXPECT_EQ(c.remainder, big % 628000000);
}

TEST(PieceRange, TextForTheLabelAndTheConfirmation)
{
    EXPECT_EQ(PieceRangeText(0), "*.000");
    EXPECT_EQ(PieceRangeText(1), "*.001");
    EXPECT_EQ(PieceRangeText(3), "*.001～*.003");
    EXPECT_EQ(PieceRangeText(12), "*.001～*.012");
    EXPECT_EQ(PieceRangeText(999), "*.001～*.999");
    EXPECT_EQ(PieceRangeText(1234), "*.001～*.1234") << "the pieces from 1000 on carry their full number";
}

TEST(PiecePlan, TheFloppyPresetKeepsItsDesignedSizes)
{
    const auto c = ComputePieceCounts(3000000, 1421000);
    const PiecePlan plan(c, 1e12);
    EXPECT_TRUE(plan.KeepsDesignedSizes());
    EXPECT_EQ(Sizes(c, 1e12), (std::vector<int64_t>{1417216, 1421312, 161472}));
    EXPECT_EQ(plan.BlockCount(), 3000000 / 4096 + 1);

    // A first disk with less room than the size: piece 001 is what fits, in whole blocks.
    EXPECT_EQ(Sizes(c, 1000000), (std::vector<int64_t>{999424, 1421312, 579264}));
}

TEST(PiecePlan, AnExactMultipleOfAnUnalignedSizeLosesNoBytes)
{
    // Whole blocks would leave 3,784 bytes of a 1,421,000-byte source unwritten.
    auto c = ComputePieceCounts(1421000, 1421000);
    EXPECT_EQ(Sizes(c, 1e12), (std::vector<int64_t>{1421000}));
    c = ComputePieceCounts(2 * 1421000, 1421000);
    EXPECT_FALSE(PiecePlan(c, 1e12).KeepsDesignedSizes());
    EXPECT_EQ(Sizes(c, 1e12), (std::vector<int64_t>{1417216, 1424784}));
}

TEST(PiecePlan, WholeBlocksThatWouldUseUpTheSourceEarlyAreTrimmed)
{
    // 7 KB custom size, 20 pieces of whole blocks would need 155,648 bytes of 140,005.
    const auto c = ComputePieceCounts(20 * 7000 + 5, 7000);
    const auto sizes = Sizes(c, 1e12);
    ASSERT_EQ(sizes.size(), 21u);
    EXPECT_EQ(sizes[0], 4096);
    for (size_t i = 1; i < 20; ++i) EXPECT_EQ(sizes[i], 7000) << i;
    EXPECT_EQ(sizes[20], 140005 - 4096 - 19 * 7000);
    // The 1.44MB preset with 14 full pieces and a remainder of a few bytes.
    const auto floppy = ComputePieceCounts(14 * 1421000 + 100, 1421000);
    EXPECT_FALSE(PiecePlan(floppy, 1e12).KeepsDesignedSizes());
}

TEST(PiecePlan, ASizeBelowOneBlockOrAFullFirstDiskStillGivesAByteToEveryPiece)
{
    EXPECT_EQ(Sizes(ComputePieceCounts(2500, 1000), 1e12), (std::vector<int64_t>{1000, 1000, 500}));
    EXPECT_EQ(Sizes(ComputePieceCounts(3000000, 1421000), 100), (std::vector<int64_t>{100, 1421000, 1578900}));
    EXPECT_EQ(Sizes(ComputePieceCounts(3000000, 1421000), 0), (std::vector<int64_t>{1421000, 1421000, 158000}));
}

// Whatever the length, size and room on the first disk: the announced count
// of pieces, none empty, together exactly the source, and the block count
// the copy will take.
TEST(PiecePlan, EveryPlanKeepsTheSetsRules)
{
    std::mt19937_64 random(20240601);
    auto pick = [&](int64_t lo, int64_t hi) { return std::uniform_int_distribution<int64_t>(lo, hi)(random); };
    int designed = 0, adjusted = 0;
    for (int run = 0; run < 200000; ++run) {
        const int64_t size = run % 3 == 0 ? pick(1, 20000) : run % 3 == 1 ? pick(7, 64) * 1000 : pick(1, 300) * 4096;
        const int64_t length = pick(1, size * pick(1, 60) + pick(0, 5000));
        const double free = run % 4 == 0 ? static_cast<double>(pick(0, size * 2)) : 1e15;
        const auto c = ComputePieceCounts(length, static_cast<double>(size));
        const PiecePlan plan(c, free);
        (plan.KeepsDesignedSizes() ? designed : adjusted)++;
        int64_t total = 0, blocks = 0;
        for (int64_t k = 1; k <= c.pieceCount; ++k) {
            const int64_t bytes = plan.PieceBytes(k);
            ASSERT_GT(bytes, 0) << "length " << length << " size " << size << " free " << free << " piece " << k;
            total += bytes;
            blocks += (bytes + 4095) / 4096;
        }
        ASSERT_EQ(total, length) << "length " << length << " size " << size << " free " << free;
        ASSERT_EQ(plan.BlockCount(), blocks);
        if (c.pieceCount > 1) {
            ASSERT_LE(plan.PieceBytes(1), size) << "piece 001 never exceeds the size";
        }
        if (c.pieceCount > 2 && plan.KeepsDesignedSizes()) {
            ASSERT_EQ(plan.PieceBytes(2), c.standardBlocks * 4096);
        }
    }
    EXPECT_GT(designed, 1000);
    EXPECT_GT(adjusted, 1000);
}

}  // namespace
