#include "Gf16.h"

#include <array>
#include <vector>

namespace par2 {
namespace {

constexpr uint32_t kOrder = 65535;  // the multiplicative group's size

struct Tables {
    std::array<uint16_t, 65536> log{};
    std::array<uint16_t, 2 * kOrder> antilog{};  // doubled, so log a + log b needs no reduction
    std::vector<uint16_t> constants;

    Tables()
    {
        uint32_t x = 1;
        for (uint32_t i = 0; i < kOrder; ++i) {
            antilog[i] = antilog[i + kOrder] = static_cast<uint16_t>(x);
            log[x] = static_cast<uint16_t>(i);
            x <<= 1;
            if (x & 0x10000) x ^= kGenerator;
        }
        constants.reserve(kMaxInputSlices);
        for (uint32_t n = 1; constants.size() < kMaxInputSlices; ++n)
            if (n % 3 != 0 && n % 5 != 0 && n % 17 != 0 && n % 257 != 0)
                constants.push_back(antilog[n % kOrder]);
    }
};

const Tables& Field()
{
    static const Tables tables;
    return tables;
}

}  // namespace

uint16_t GfMultiply(uint16_t a, uint16_t b)
{
    if (a == 0 || b == 0) return 0;
    const Tables& t = Field();
    return t.antilog[t.log[a] + t.log[b]];
}

uint16_t GfDivide(uint16_t a, uint16_t b)
{
    if (a == 0) return 0;
    const Tables& t = Field();
    return t.antilog[t.log[a] + kOrder - t.log[b]];
}

uint16_t GfPower(uint16_t base, uint32_t exponent)
{
    if (exponent == 0) return 1;
    if (base == 0) return 0;
    const Tables& t = Field();
    return t.antilog[static_cast<uint64_t>(t.log[base]) * exponent % kOrder];
}

uint16_t InputConstant(uint32_t k) { return Field().constants.at(k); }

}  // namespace par2
