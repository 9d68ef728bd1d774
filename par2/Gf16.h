#pragma once
// Arithmetic in GF(2^16) with the generator polynomial 0x1100B, the field of
// the PAR2 Reed-Solomon code: addition is XOR, products go through log and
// antilog tables.
#include <cstdint>

namespace par2 {

inline constexpr uint32_t kGenerator = 0x1100B;

uint16_t GfMultiply(uint16_t a, uint16_t b);
// a times x (2): a shift, and past x^15 the generator's reduction; no tables.
constexpr uint16_t GfDouble(uint16_t a)
{
    return static_cast<uint16_t>(a & 0x8000 ? (static_cast<uint32_t>(a) << 1) ^ kGenerator : a << 1);
}
// a / b; b must not be 0.
uint16_t GfDivide(uint16_t a, uint16_t b);
uint16_t GfPower(uint16_t base, uint32_t exponent);

// The constant of the k-th input slice (k from 0): 2^n for the k-th exponent n
// that is no multiple of 3, 5, 17 or 257, so that every constant generates the
// whole multiplicative group. 32768 such constants exist (k < 32768).
uint16_t InputConstant(uint32_t k);

inline constexpr uint32_t kMaxInputSlices = 32768;

}  // namespace par2
