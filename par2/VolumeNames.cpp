#include "VolumeNames.h"

#include <algorithm>
#include <cctype>

namespace par2 {
namespace {

std::string Padded(uint32_t value, size_t digits)
{
    std::string text = std::to_string(value);
    return std::string(digits > text.size() ? digits - text.size() : 0, '0') + text;
}

bool AllDigits(const std::string& s)
{
    return !s.empty() && std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isdigit(c); });
}

}  // namespace

std::string IndexFileName(const std::string& baseName) { return baseName + ".par2"; }

std::vector<Volume> ExponentialVolumes(uint32_t total)
{
    std::vector<Volume> volumes;
    for (uint32_t first = 0, size = 1; first < total; first += size, size *= 2) volumes.push_back({first, std::min(size, total - first)});
    return volumes;
}

std::vector<Volume> SingleSliceVolumes(uint32_t total)
{
    std::vector<Volume> volumes;
    for (uint32_t e = 0; e < total; ++e) volumes.push_back({e, 1});
    return volumes;
}

std::vector<std::string> VolumeFileNames(const std::string& baseName, const std::vector<Volume>& volumes)
{
    uint32_t end = 0, largest = 0;
    for (const Volume& v : volumes) {
        end = std::max(end, v.firstExponent + v.count);
        largest = std::max(largest, v.count);
    }
    const size_t firstDigits = std::to_string(end).size(), countDigits = std::to_string(largest).size();
    std::vector<std::string> names;
    for (const Volume& v : volumes)
        names.push_back(baseName + ".vol" + Padded(v.firstExponent, firstDigits) + "+" + Padded(v.count, countDigits) +
                        ".par2");
    return names;
}

bool IsRecoveryFileName(const std::string& name, const std::string& baseName)
{
    if (name == IndexFileName(baseName)) return true;
    const std::string head = baseName + ".vol", tail = ".par2";
    if (name.size() <= head.size() + tail.size() || name.compare(0, head.size(), head) != 0 ||
        name.compare(name.size() - tail.size(), tail.size(), tail) != 0)
        return false;
    const std::string middle = name.substr(head.size(), name.size() - head.size() - tail.size());
    const size_t sign = middle.find_first_of("+-");
    return sign != std::string::npos && AllDigits(middle.substr(0, sign)) && AllDigits(middle.substr(sign + 1));
}

}  // namespace par2
