// The field arithmetic and the region kernels against the values the format gives.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <vector>

#include "Gf16.h"
#include "GfRegion.h"

using namespace par2;

TEST(Field, ConstantsAreTheFormatsFirstOnesAndAllOfFullOrder)
{
    const uint16_t first[] = {2, 4, 16, 128, 256, 2048, 8192, 16384, 4107, 32856, 17132};
    for (uint32_t k = 0; k < std::size(first); ++k) EXPECT_EQ(InputConstant(k), first[k]) << k;
    std::set<uint16_t> seen;
    for (uint32_t k = 0; k < kMaxInputSlices; ++k) {
        const uint16_t c = InputConstant(k);
        seen.insert(c);
        for (uint32_t divisor : {3u, 5u, 17u, 257u}) ASSERT_NE(GfPower(c, 65535 / divisor), 1) << k;
    }
    EXPECT_EQ(seen.size(), kMaxInputSlices);
    EXPECT_THROW(InputConstant(kMaxInputSlices), std::out_of_range);
}

TEST(Field, ProductsFollowTheGeneratorAndDivisionUndoesThem)
{
    // x^16 = x^12 + x^3 + x + 1 under 0x1100B.
    EXPECT_EQ(GfMultiply(0x8000, 2), 0x100B);
    EXPECT_EQ(GfPower(2, 16), 0x100B);
    EXPECT_EQ(GfPower(2, 65535), 1);
    EXPECT_EQ(GfPower(0, 0), 1);
    std::mt19937 random(7);
    for (int i = 0; i < 20000; ++i) {
        const uint16_t a = static_cast<uint16_t>(random()), b = static_cast<uint16_t>(random() | 1);
        const uint16_t c = static_cast<uint16_t>(random());
        ASSERT_EQ(GfDivide(GfMultiply(a, b), b), a);
        ASSERT_EQ(GfMultiply(a, b ^ c), GfMultiply(a, b) ^ GfMultiply(a, c));  // distributive
        // Multiplication by shift and reduce, independent of the tables.
        uint32_t slow = 0, x = a;
        for (int bit = 0; bit < 16; ++bit, x <<= 1) {
            if (x & 0x10000) x ^= 0x1100B;
            if (b & (1 << bit)) slow ^= x;
        }
        ASSERT_EQ(GfMultiply(a, b), slow);
    }
}

TEST(Field, EveryKernelMultipliesWordsAsTheFieldDoes)
{
    std::mt19937 random(3);
    const size_t bytes = 64 * 37;
    std::vector<uint8_t> src(bytes), dst(bytes), expected(bytes);
    for (auto& b : src) b = static_cast<uint8_t>(random());
    for (auto& b : dst) b = static_cast<uint8_t>(random());
    for (uint16_t factor : {0, 1, 2, 0x100B, 0xFFFF, 12345}) {
        for (size_t w = 0; w < bytes / 2; ++w) {
            const uint16_t s = static_cast<uint16_t>(src[2 * w] | src[2 * w + 1] << 8);
            const uint16_t p = GfMultiply(s, factor) ^ static_cast<uint16_t>(dst[2 * w] | dst[2 * w + 1] << 8);
            expected[2 * w] = static_cast<uint8_t>(p);
            expected[2 * w + 1] = static_cast<uint8_t>(p >> 8);
        }
        for (const RegionKernels* k : SupportedKernels()) {
            std::vector<uint8_t> packedSrc(bytes), acc(bytes), out(bytes);
            k->toPacked(packedSrc.data(), src.data(), bytes);
            k->toPacked(acc.data(), dst.data(), bytes);
            k->mulAdd(acc.data(), packedSrc.data(), bytes, MulTableFor(factor));
            k->fromPacked(out.data(), acc.data(), bytes);
            EXPECT_EQ(out, expected) << k->name << " factor " << factor;
            // The packed layout is one for every kernel.
            std::vector<uint8_t> portable(bytes);
            PortableKernels().toPacked(portable.data(), src.data(), bytes);
            EXPECT_EQ(packedSrc, portable) << k->name;
        }
    }
}
