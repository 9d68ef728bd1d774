#pragma once
// A set of numbered pieces without a join-info file: NAME.001, NAME.002 … as
// `split -d -a 3 --numeric-suffixes=1` or an archiver's volumes (x.7z.001)
// make them, or a set whose join-info file was lost; or NAME.000, NAME.001 …
// as `split -d -a 3` makes them. The rebuilt file is NAME; the pieces are the
// ones that follow one another from the first on.
#include <optional>
#include <string>

#include "SplitSet.h"

namespace modMender {

struct NumberedSet {
    SplitSetNames names;  // folder, NAME as source and base name, the first piece's number
    int32_t count = 0;    // pieces up to the highest number present (0: none)
};

// Whether NAME.000 is the first piece of a set that starts at 000 rather than
// a join-info file: it is larger than a join-info file can be, or it holds a
// byte no join-info file holds (and no count on its first line) and is no
// smaller than NAME.001 beside it.
bool StartsAtZero(const std::string& stem);

// The set that a path ending in ".001" stands for when no NAME.000 lies beside
// it or that NAME.000 is a piece, and the set a NAME.000 that is a piece
// starts; nothing for any other path.
std::optional<NumberedSet> NumberedSetOf(const std::string& path);

// The join-info file that a piece of a set made by Carver leads to: for
// NAME.001 with NAME.000 beside it, that NAME.000; otherwise the path itself.
std::string JoinInfoFileFor(const std::string& path);

}  // namespace modMender
