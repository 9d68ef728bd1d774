#pragma once
// The names of a recovery set's files, as par2 gives them: NAME.par2 for the
// index (no recovery slices) and NAME.volA+B.par2 for a volume holding B
// recovery slices from exponent A; A has as many digits as the count of all
// slices, B as many as the largest volume's count, with leading zeros.
#include <cstdint>
#include <string>
#include <vector>

namespace par2 {

struct Volume {
    uint32_t firstExponent = 0;
    uint32_t count = 0;
};

std::string IndexFileName(const std::string& baseName);
// The volumes of `total` recovery slices: 1, 2, 4 … slices per volume (the
// last takes what is left), as par2 makes them by default, or one each.
std::vector<Volume> ExponentialVolumes(uint32_t total);
std::vector<Volume> SingleSliceVolumes(uint32_t total);
std::vector<std::string> VolumeFileNames(const std::string& baseName, const std::vector<Volume>& volumes);
// Whether a file name is the index or a volume of baseName's recovery set.
bool IsRecoveryFileName(const std::string& name, const std::string& baseName);

}  // namespace par2
