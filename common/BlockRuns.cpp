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
        const int64_t longest = hasher_ ? static_cast<int64_t>(kHashedRunBytes) : kRunBytes;
        const int64_t run = std::max(size, std::min(longest, left)) - ahead_;
        const int64_t start = destination.Length();
        if (IoStatus s = CopyRun(source, destination, run); !s) {
            // Like a block that failed, the run adds nothing to the file.
            IgnoreResult(destination.TruncateTo(start));
            return s;
        }
        ahead_ += run;
    }
    ahead_ -= size;
    return IoStatus::Success();
}

IoStatus BlockRuns::CopyRun(BinaryReader& source, BinaryWriter& destination, int64_t run)
{
    if (!hasher_) return destination.WriteFrom(source, run);
    const std::span<char> bytes = hasher_->NextBlock(static_cast<size_t>(run));
    if (IoStatus s = source.Read(bytes); !s) return s;
    if (IoStatus s = destination.Write(bytes); !s) return s;
    hasher_->BlockFilled();
    return IoStatus::Success();
}

IoStatus BlockRuns::CutAhead(BinaryWriter& destination)
{
    if (ahead_ == 0) return IoStatus::Success();
    const int64_t end = destination.Length() - ahead_;
    ahead_ = 0;
    return destination.TruncateTo(end);
}
