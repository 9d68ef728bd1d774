#include "SplitSet.h"
#include "BoxText.h"
#include "JoinSteps.h"
#include "NumberedSet.h"
#include "Paths.h"
#include "modMender.h"

namespace modMender {

// Shows the name the join will write, found as the join finds it.
std::string RebuiltFileNameOf(const std::string& path)
{
    // The first piece of a numbered set without a join-info file (archive
    // volumes x.7z.001, split -d's big.000): the rebuilt file is its name
    // without the number.
    if (const auto set = NumberedSetOf(path)) return set->names.sourceName;
    // A piece of a set with its join-info file beside it leads to that file.
    // A file that cannot be read, has no line 2 or a line 2 the join refuses
    // gives no name.
    JoinInfo info;
    const bool named = ReadJoinInfo(JoinInfoFileFor(path), info) && IsPlainFileName(info.sourceName);
    return named ? info.sourceName : std::string();
}

void LoadAfterFileName(JoinerWindow& window)
{
    const std::string path = TrimSpaces(window.KetugoFileNameText());
    // No name rather than the name of a file chosen before.
    if (!path.empty()) window.SetAfterFileNameText(RebuiltFileNameOf(path));
}

}  // namespace modMender
