#pragma once
// Products of whole regions of 16-bit words with one field constant, the inner
// loop of the recovery code. Regions are kept in a packed layout while they are
// worked on: each block of 32 little-endian words (64 bytes) holds the 32 low
// bytes first, then the 32 high bytes, so that vector table lookups (pshufb)
// take 32 words at a time. Lengths are whole blocks.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace par2 {

inline constexpr size_t kRegionBlock = 64;

// The product of any word with one constant, by its four 4-bit parts: entry
// [2p][v] is the low byte and [2p+1][v] the high byte of constant * (v << 4p).
struct MulTable {
    alignas(16) uint8_t part[8][16];
    // The same product as 8x8 bit matrices for the processors' affine
    // instruction (GFNI), row i (output bit i) in byte 7 - i: low byte to low
    // byte, high to high, low to high, high to low.
    uint64_t affine[4];
};
MulTable MulTableFor(uint16_t factor);

struct RegionKernels {
    const char* name;
    // Plain little-endian words to the packed layout, and back; dst may be src.
    void (*toPacked)(uint8_t* dst, const uint8_t* src, size_t bytes);
    void (*fromPacked)(uint8_t* dst, const uint8_t* src, size_t bytes);
    // dst ^= the sum of srcs[i] * tables[i] for i < count, all packed. The
    // vector kernels sum a group of inputs in registers, so that dst is read
    // and written once per group rather than once per input.
    void (*mulAdd)(uint8_t* dst, const uint8_t* const* srcs, const MulTable* tables, size_t count, size_t bytes);
};

// Plain C++ everywhere; the fastest the processor supports (AVX2 where it has it).
const RegionKernels& PortableKernels();
const RegionKernels& BestKernels();
// Every kernel this processor runs, the portable one first.
std::vector<const RegionKernels*> SupportedKernels();

}  // namespace par2
