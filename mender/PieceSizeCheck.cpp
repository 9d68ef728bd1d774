#include <map>

#include "JoinSteps.h"

namespace modMender {

std::optional<int32_t> OddSizedPiece(const std::vector<int64_t>& lengths)
{
    const auto n = static_cast<int32_t>(lengths.size());
    if (n <= 1) return std::nullopt;
    for (int32_t k = 1; k <= n; ++k)
        if (lengths[k - 1] == 0) return k;
    // The size of the pieces between the first and the last: the most common
    // one, so that the piece named is the one that differs.
    std::map<int64_t, int> sizes;
    for (int32_t k = 2; k < n; ++k) ++sizes[lengths[k - 1]];
    if (sizes.empty()) return std::nullopt;
    int64_t usual = lengths[1];
    for (const auto& [size, times] : sizes)
        if (times > sizes[usual]) usual = size;
    for (int32_t k = 2; k < n; ++k)
        if (lengths[k - 1] != usual) return k;
    // The first piece is cut to the room on the first disk, so it is never
    // longer than the pieces after it; the last takes the rest, which is at
    // most what the first left over on top of one piece.
    if (usual < lengths[0]) return 2;
    if (lengths[n - 1] > 2 * usual - lengths[0]) return n;
    return std::nullopt;
}

}  // namespace modMender
