#include "SplitSet.h"
#include "BoxText.h"
#include "Paths.h"
#include "modMender.h"

namespace modMender {

void LoadAfterFileName(JoinerWindow& window)
{
    const std::string path = TrimSpaces(window.KetugoFileNameText());
    if (path.empty()) return;
    // The first piece of a numbered set without a join-info file (archive
    // volumes x.7z.001): the rebuilt file is the piece's name without ".001".
    static const std::string kFirstPiece = ".001";
    if (path.ends_with(kFirstPiece)) {
        window.SetAfterFileNameText(FileNameOf(path.substr(0, path.size() - kFirstPiece.size())));
        return;
    }
    // A file that cannot be read, or has no line 2, shows no name rather than
    // the name of a file chosen before.
    JoinInfo info;
    window.SetAfterFileNameText(ReadJoinInfo(path, info) ? info.sourceName : std::string());
}

}  // namespace modMender
