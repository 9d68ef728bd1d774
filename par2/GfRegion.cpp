#include "GfRegion.h"

#include <immintrin.h>

#include "Gf16.h"

namespace par2 {

MulTable MulTableFor(uint16_t factor)
{
    MulTable t;
    for (int p = 0; p < 4; ++p)
        for (uint16_t v = 0; v < 16; ++v) {
            const uint16_t product = GfMultiply(factor, static_cast<uint16_t>(v << (4 * p)));
            t.part[2 * p][v] = static_cast<uint8_t>(product);
            t.part[2 * p + 1][v] = static_cast<uint8_t>(product >> 8);
        }
    return t;
}

namespace {

constexpr size_t kHalf = kRegionBlock / 2;

void ToPackedPortable(uint8_t* dst, const uint8_t* src, size_t bytes)
{
    for (size_t b = 0; b < bytes; b += kRegionBlock)
        for (size_t j = 0; j < kHalf; ++j) {
            dst[b + j] = src[b + 2 * j];
            dst[b + kHalf + j] = src[b + 2 * j + 1];
        }
}

void FromPackedPortable(uint8_t* dst, const uint8_t* src, size_t bytes)
{
    for (size_t b = 0; b < bytes; b += kRegionBlock)
        for (size_t j = 0; j < kHalf; ++j) {
            dst[b + 2 * j] = src[b + j];
            dst[b + 2 * j + 1] = src[b + kHalf + j];
        }
}

void MulAddPortable(uint8_t* dst, const uint8_t* src, size_t bytes, const MulTable& t)
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

CARVER_AVX2 void MulAddAvx2(uint8_t* dst, const uint8_t* src, size_t bytes, const MulTable& t)
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
#endif

constexpr RegionKernels kPortable{"portable", ToPackedPortable, FromPackedPortable, MulAddPortable};
#if defined(__x86_64__)
constexpr RegionKernels kAvx2{"avx2", ToPackedAvx2, FromPackedAvx2, MulAddAvx2};
#endif

}  // namespace

const RegionKernels& PortableKernels() { return kPortable; }

const RegionKernels& BestKernels()
{
#if defined(__x86_64__)
    if (__builtin_cpu_supports("avx2")) return kAvx2;
#endif
    return kPortable;
}

}  // namespace par2
