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
    EXPECT_EQ(GfDouble(0x8000), 0x100B);
    EXPECT_EQ(GfDouble(0x4321), 0x8642);
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
    const std::vector<uint16_t> factors{0, 1, 2, 0x100B, 0xFFFF, 12345, 0x8000, 7, 40000};
    std::vector<std::vector<uint8_t>> src(17, std::vector<uint8_t>(bytes));
    std::vector<uint8_t> dst(bytes);
    for (auto& s : src)
        for (auto& b : s) b = static_cast<uint8_t>(random());
    for (auto& b : dst) b = static_cast<uint8_t>(random());
    const auto word = [](const std::vector<uint8_t>& v, size_t w) { return static_cast<uint16_t>(v[2 * w] | v[2 * w + 1] << 8); };
    // One input, a group's remainder, a whole group, more than one group.
    for (size_t count : {1, 3, 8, 9, 17}) {
        std::vector<MulTable> tables;
        std::vector<uint8_t> expected(bytes);
        for (size_t i = 0; i < count; ++i) tables.push_back(MulTableFor(factors[i % factors.size()]));
        for (size_t w = 0; w < bytes / 2; ++w) {
            uint16_t p = word(dst, w);
            for (size_t i = 0; i < count; ++i) p ^= GfMultiply(word(src[i], w), factors[i % factors.size()]);
            expected[2 * w] = static_cast<uint8_t>(p);
            expected[2 * w + 1] = static_cast<uint8_t>(p >> 8);
        }
        for (const RegionKernels* k : SupportedKernels()) {
            std::vector<std::vector<uint8_t>> packed(src.begin(), src.begin() + static_cast<long>(count));
            std::vector<const uint8_t*> rows;
            for (auto& p : packed) {
                k->toPacked(p.data(), p.data(), bytes);  // in place
                rows.push_back(p.data());
            }
            std::vector<uint8_t> acc(bytes);
            k->toPacked(acc.data(), dst.data(), bytes);
            k->mulAdd(acc.data(), rows.data(), tables.data(), count, bytes);
            k->fromPacked(acc.data(), acc.data(), bytes);
            EXPECT_EQ(acc, expected) << k->name << " inputs " << count;
            // The packed layout is one for every kernel.
            std::vector<uint8_t> portable(bytes);
            PortableKernels().toPacked(portable.data(), src[0].data(), bytes);
            EXPECT_EQ(packed[0], portable) << k->name;
        }
    }
}
