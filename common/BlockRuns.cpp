#include "BlockRuns.h"

#include <algorithm>

namespace {
// Long enough that the calls cost nothing beside the bytes, short enough that
// a piece ends in few runs and a failure is found near the block it is in.
constexpr int64_t kRunBytes = 1 << 20;
}  // namespace

IoStatus BlockRuns::Next(BinaryReader& source, BinaryWriter& destination, int64_t size, int64_t left)
{
    if (ahead_ < size) {
        const int64_t run = std::max(size, std::min(kRunBytes, left)) - ahead_;
        const int64_t start = destination.Length();
        if (IoStatus s = destination.WriteFrom(source, run); !s) {
            // Like a block that failed, the run adds nothing to the file.
            IgnoreResult(destination.TruncateTo(start));
            return s;
        }
        ahead_ += run;
    }
    ahead_ -= size;
    return IoStatus::Success();
}

IoStatus BlockRuns::CutAhead(BinaryWriter& destination)
{
    if (ahead_ == 0) return IoStatus::Success();
    const int64_t end = destination.Length() - ahead_;
    ahead_ = 0;
    return destination.TruncateTo(end);
}
