#include "GfRegion.h"

#include <algorithm>
#include <cstring>
#include <immintrin.h>

#include "Gf16.h"

namespace par2 {

namespace {

// The matrix taking byte `from` of a word to byte `to` of its product, given
// the products of the sixteen single bits.
uint64_t AffineMatrix(const uint16_t (&bitProducts)[16], int from, int to)
{
    uint64_t matrix = 0;
    for (int i = 0; i < 8; ++i) {
        uint64_t row = 0;
        for (int j = 0; j < 8; ++j) row |= static_cast<uint64_t>(bitProducts[8 * from + j] >> (8 * to + i) & 1) << j;
        matrix |= row << (8 * (7 - i));
    }
    return matrix;
}

}  // namespace

MulTable MulTableFor(uint16_t factor)
{
    // Products are linear: every entry is a sum of the sixteen single bits' products.
    MulTable t;
    uint16_t bitProducts[16];
    bitProducts[0] = factor;
    for (int j = 1; j < 16; ++j) bitProducts[j] = GfDouble(bitProducts[j - 1]);
    for (int p = 0; p < 4; ++p)
        for (unsigned v = 0; v < 16; ++v) {
            uint16_t product = 0;
            for (int j = 0; j < 4; ++j)
                if (v >> j & 1) product ^= bitProducts[4 * p + j];
            t.part[2 * p][v] = static_cast<uint8_t>(product);
            t.part[2 * p + 1][v] = static_cast<uint8_t>(product >> 8);
        }
    t.affine[0] = AffineMatrix(bitProducts, 0, 0);
    t.affine[1] = AffineMatrix(bitProducts, 1, 1);
    t.affine[2] = AffineMatrix(bitProducts, 0, 1);
    t.affine[3] = AffineMatrix(bitProducts, 1, 0);
    return t;
}

namespace {

constexpr size_t kHalf = kRegionBlock / 2;

// Block by block through a copy, so that dst may be src.
void ToPackedPortable(uint8_t* dst, const uint8_t* src, size_t bytes)
{
    uint8_t block[kRegionBlock];
    for (size_t b = 0; b < bytes; b += kRegionBlock) {
        std::memcpy(block, src + b, kRegionBlock);
        for (size_t j = 0; j < kHalf; ++j) {
            dst[b + j] = block[2 * j];
            dst[b + kHalf + j] = block[2 * j + 1];
        }
    }
}

void FromPackedPortable(uint8_t* dst, const uint8_t* src, size_t bytes)
{
    uint8_t block[kRegionBlock];
    for (size_t b = 0; b < bytes; b += kRegionBlock) {
        std::memcpy(block, src + b, kRegionBlock);
        for (size_t j = 0; j < kHalf; ++j) {
            dst[b + 2 * j] = block[j];
            dst[b + 2 * j + 1] = block[kHalf + j];
        }
    }
}

// Kernels without a group form: one pass over dst per input.
using MulAddOne = void (*)(uint8_t* dst, const uint8_t* src, size_t bytes, const MulTable& table);
template <MulAddOne One>
void EachInput(uint8_t* dst, const uint8_t* const* srcs, const MulTable* tables, size_t count, size_t bytes)
{
    for (size_t i = 0; i < count; ++i) One(dst, srcs[i], bytes, tables[i]);
}

// Kernels that sum up to kGroup inputs in registers take the inputs group by group.
constexpr size_t kGroup = 8;
using MulAddGroup = void (*)(uint8_t* dst, const uint8_t* const* srcs, const MulTable* tables, size_t bytes);
void InGroups(const MulAddGroup (&groups)[kGroup + 1], uint8_t* dst, const uint8_t* const* srcs,
              const MulTable* tables, size_t count, size_t bytes)
{
    for (size_t i = 0; i < count; i += kGroup) {
        const size_t n = std::min(kGroup, count - i);
        groups[n](dst, srcs + i, tables + i, bytes);
    }
}

void MulAddOnePortable(uint8_t* dst, const uint8_t* src, size_t bytes, const MulTable& t)
{
    for (size_t b = 0; b < bytes; b += kRegionBlock)
        for (size_t j = 0; j < kHalf; ++j) {
            const unsigned lo = src[b + j], hi = src[b + kHalf + j];
            const unsigned n[4] = {lo & 15, lo >> 4, hi & 15, hi >> 4};
            for (int p = 0; p < 4; ++p) {
                dst[b + j] ^= t.part[2 * p][n[p]];
                dst[b + kHalf + j] ^= t.part[2 * p + 1][n[p]];
            }
        }
}

#if defined(__x86_64__)
#define CARVER_AVX2 __attribute__((target("avx2")))

CARVER_AVX2 void ToPackedAvx2(uint8_t* dst, const uint8_t* src, size_t bytes)
{
    const __m256i lowBytes = _mm256_set1_epi16(0x00ff);
    for (size_t b = 0; b < bytes; b += kRegionBlock) {
        const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + b));
        const __m256i y = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + b + kHalf));
        // packus interleaves the two sources by 128-bit lane; the permute puts the words back in order.
        const __m256i lo = _mm256_packus_epi16(_mm256_and_si256(x, lowBytes), _mm256_and_si256(y, lowBytes));
        const __m256i hi = _mm256_packus_epi16(_mm256_srli_epi16(x, 8), _mm256_srli_epi16(y, 8));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + b), _mm256_permute4x64_epi64(lo, 0xD8));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + b + kHalf), _mm256_permute4x64_epi64(hi, 0xD8));
    }
}

CARVER_AVX2 void FromPackedAvx2(uint8_t* dst, const uint8_t* src, size_t bytes)
{
    for (size_t b = 0; b < bytes; b += kRegionBlock) {
        const __m256i lo = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + b));
        const __m256i hi = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + b + kHalf));
        // Per lane: words 0-7 and 16-23 from unpacklo, 8-15 and 24-31 from unpackhi.
        const __m256i first = _mm256_unpacklo_epi8(lo, hi);
        const __m256i second = _mm256_unpackhi_epi8(lo, hi);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + b), _mm256_permute2x128_si256(first, second, 0x20));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + b + kHalf),
                            _mm256_permute2x128_si256(first, second, 0x31));
    }
}

CARVER_AVX2 void MulAddOneAvx2(uint8_t* dst, const uint8_t* src, size_t bytes, const MulTable& t)
{
    __m256i part[8];
    for (int i = 0; i < 8; ++i)
        part[i] = _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(t.part[i])));
    const __m256i nibble = _mm256_set1_epi8(0x0f);
    for (size_t b = 0; b < bytes; b += kRegionBlock) {
        const __m256i lo = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + b));
        const __m256i hi = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + b + kHalf));
        const __m256i n0 = _mm256_and_si256(lo, nibble);
        const __m256i n1 = _mm256_and_si256(_mm256_srli_epi16(lo, 4), nibble);
        const __m256i n2 = _mm256_and_si256(hi, nibble);
        const __m256i n3 = _mm256_and_si256(_mm256_srli_epi16(hi, 4), nibble);
        __m256i outLo = _mm256_xor_si256(_mm256_shuffle_epi8(part[0], n0), _mm256_shuffle_epi8(part[2], n1));
        __m256i outHi = _mm256_xor_si256(_mm256_shuffle_epi8(part[1], n0), _mm256_shuffle_epi8(part[3], n1));
        outLo = _mm256_xor_si256(outLo, _mm256_xor_si256(_mm256_shuffle_epi8(part[4], n2),
                                                         _mm256_shuffle_epi8(part[6], n3)));
        outHi = _mm256_xor_si256(outHi, _mm256_xor_si256(_mm256_shuffle_epi8(part[5], n2),
                                                         _mm256_shuffle_epi8(part[7], n3)));
        __m256i* d = reinterpret_cast<__m256i*>(dst + b);
        _mm256_storeu_si256(d, _mm256_xor_si256(_mm256_loadu_si256(d), outLo));
        _mm256_storeu_si256(d + 1, _mm256_xor_si256(_mm256_loadu_si256(d + 1), outHi));
    }
}

// With GFNI a product is four matrix-times-byte instructions per 32 words
// (eight table lookups and the nibble split without it). Same layout.
template <size_t N>
__attribute__((target("avx2,gfni"))) void MulAddGroupGfniAvx2(uint8_t* dst, const uint8_t* const* srcs,
                                                               const MulTable* t, size_t bytes)
{
    __m256i lowToLow[N], highToHigh[N], lowToHigh[N], highToLow[N];
    for (size_t i = 0; i < N; ++i) {
        lowToLow[i] = _mm256_set1_epi64x(static_cast<long long>(t[i].affine[0]));
        highToHigh[i] = _mm256_set1_epi64x(static_cast<long long>(t[i].affine[1]));
        lowToHigh[i] = _mm256_set1_epi64x(static_cast<long long>(t[i].affine[2]));
        highToLow[i] = _mm256_set1_epi64x(static_cast<long long>(t[i].affine[3]));
    }
    for (size_t b = 0; b < bytes; b += kRegionBlock) {
        __m256i* d = reinterpret_cast<__m256i*>(dst + b);
        __m256i outLo = _mm256_loadu_si256(d), outHi = _mm256_loadu_si256(d + 1);
        for (size_t i = 0; i < N; ++i) {
            const __m256i lo = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(srcs[i] + b));
            const __m256i hi = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(srcs[i] + b + kHalf));
            outLo = _mm256_xor_si256(outLo, _mm256_xor_si256(_mm256_gf2p8affine_epi64_epi8(lo, lowToLow[i], 0),
                                                             _mm256_gf2p8affine_epi64_epi8(hi, highToLow[i], 0)));
            outHi = _mm256_xor_si256(outHi, _mm256_xor_si256(_mm256_gf2p8affine_epi64_epi8(lo, lowToHigh[i], 0),
                                                             _mm256_gf2p8affine_epi64_epi8(hi, highToHigh[i], 0)));
        }
        _mm256_storeu_si256(d, outLo);
        _mm256_storeu_si256(d + 1, outHi);
    }
}

// GCC 12's headers fill the unused mask operand of the lane swap with an
// undefined value, which its own warning then reports.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
// A whole 64-byte block in one register: the matrices differ by 64-bit lane,
// so one instruction gives [low to low | high to high] and another
// [low to high | high to low], whose halves are swapped once the group's
// products are summed.
template <size_t N>
__attribute__((target("avx512f,avx512bw,gfni"))) void MulAddGroupGfniAvx512(uint8_t* dst, const uint8_t* const* srcs,
                                                                        const MulTable* t, size_t bytes)
{
    __m512i straight[N], crossed[N];
    for (size_t i = 0; i < N; ++i) {
        const auto m = [&](int k) { return static_cast<long long>(t[i].affine[k]); };
        straight[i] = _mm512_set_epi64(m(1), m(1), m(1), m(1), m(0), m(0), m(0), m(0));
        crossed[i] = _mm512_set_epi64(m(3), m(3), m(3), m(3), m(2), m(2), m(2), m(2));
    }
    for (size_t b = 0; b < bytes; b += kRegionBlock) {
        __m512i same = _mm512_loadu_si512(dst + b), other = _mm512_setzero_si512();
        for (size_t i = 0; i < N; ++i) {
            const __m512i x = _mm512_loadu_si512(srcs[i] + b);
            same = _mm512_xor_si512(same, _mm512_gf2p8affine_epi64_epi8(x, straight[i], 0));
            other = _mm512_xor_si512(other, _mm512_gf2p8affine_epi64_epi8(x, crossed[i], 0));
        }
        _mm512_storeu_si512(dst + b, _mm512_xor_si512(same, _mm512_shuffle_i64x2(other, other, 0x4E)));
    }
}
#pragma GCC diagnostic pop
#endif

constexpr RegionKernels kPortable{"portable", ToPackedPortable, FromPackedPortable, EachInput<MulAddOnePortable>};
#if defined(__x86_64__)
constexpr MulAddGroup kGfniAvx2Groups[] = {nullptr,
                                          MulAddGroupGfniAvx2<1>,
                                          MulAddGroupGfniAvx2<2>,
                                          MulAddGroupGfniAvx2<3>,
                                          MulAddGroupGfniAvx2<4>,
                                          MulAddGroupGfniAvx2<5>,
                                          MulAddGroupGfniAvx2<6>,
                                          MulAddGroupGfniAvx2<7>,
                                          MulAddGroupGfniAvx2<8>};
constexpr MulAddGroup kGfniAvx512Groups[] = {nullptr,
                                            MulAddGroupGfniAvx512<1>,
                                            MulAddGroupGfniAvx512<2>,
                                            MulAddGroupGfniAvx512<3>,
                                            MulAddGroupGfniAvx512<4>,
                                            MulAddGroupGfniAvx512<5>,
                                            MulAddGroupGfniAvx512<6>,
                                            MulAddGroupGfniAvx512<7>,
                                            MulAddGroupGfniAvx512<8>};
void MulAddGfniAvx2(uint8_t* dst, const uint8_t* const* srcs, const MulTable* tables, size_t count, size_t bytes)
{
    InGroups(kGfniAvx2Groups, dst, srcs, tables, count, bytes);
}
void MulAddGfniAvx512(uint8_t* dst, const uint8_t* const* srcs, const MulTable* tables, size_t count, size_t bytes)
{
    InGroups(kGfniAvx512Groups, dst, srcs, tables, count, bytes);
}
constexpr RegionKernels kAvx2{"avx2", ToPackedAvx2, FromPackedAvx2, EachInput<MulAddOneAvx2>};
constexpr RegionKernels kGfniAvx2{"gfni-avx2", ToPackedAvx2, FromPackedAvx2, MulAddGfniAvx2};
constexpr RegionKernels kGfniAvx512{"gfni-avx512", ToPackedAvx2, FromPackedAvx2, MulAddGfniAvx512};
#endif

}  // namespace

const RegionKernels& PortableKernels() { return kPortable; }

std::vector<const RegionKernels*> SupportedKernels()
{
    std::vector<const RegionKernels*> kernels{&kPortable};
#if defined(__x86_64__)
    if (__builtin_cpu_supports("avx2")) {
        kernels.push_back(&kAvx2);
        if (__builtin_cpu_supports("gfni")) kernels.push_back(&kGfniAvx2);
        if (__builtin_cpu_supports("gfni") && __builtin_cpu_supports("avx512bw")) kernels.push_back(&kGfniAvx512);
    }
#endif
    return kernels;
}

const RegionKernels& BestKernels()
{
    static const RegionKernels* const best = SupportedKernels().back();
    return *best;
}

}  // namespace par2
