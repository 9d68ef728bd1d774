#pragma once
// A set of numbered pieces without a join-info file: NAME.001, NAME.002 … as
// `split -d -a 3 --numeric-suffixes=1` or an archiver's volumes (x.7z.001)
// make them, or a set whose join-info file was lost. The rebuilt file is
// NAME; the pieces are the ones that follow one another from .001 on.
#include <optional>
#include <string>

#include "SplitSet.h"

namespace modMender {

struct NumberedSet {
    SplitSetNames names;  // folder, NAME as source and base name
    int32_t highest = 0;  // the highest piece number present (0: none)
};

// The set that a path ending in ".001" stands for when no NAME.000 lies beside
// it; nothing for any other path.
std::optional<NumberedSet> NumberedSetOf(const std::string& path);

// The join-info file that a piece of a set made by Carver leads to: for
// NAME.001 with NAME.000 beside it, that NAME.000; otherwise the path itself.
std::string JoinInfoFileFor(const std::string& path);

}  // namespace modMender
