#include "SplitSet.h"
#include "BoxText.h"
#include "modMender.h"

namespace modMender {

void LoadAfterFileName(JoinerWindow& window)
{
    const std::string path = TrimSpaces(window.KetugoFileNameText());
    if (path.empty()) return;
    // A file that cannot be read, or has no line 2, shows no name rather than
    // the name of a file chosen before.
    JoinInfo info;
    window.SetAfterFileNameText(ReadJoinInfo(path, info) ? info.sourceName : std::string());
}

}  // namespace modMender
