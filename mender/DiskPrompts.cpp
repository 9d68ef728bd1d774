#include "Files.h"
#include "JoinSteps.h"
#include "NumberFormat.h"

namespace modMender {

std::string WaitForPiece(UiServices& ui, DiskFolder& source, int32_t index, const std::string& pieceName)
{
    if (source.Removable() && index > 1) {
        // Only deletions are written on a source disk; one that does not reach
        // the device leaves a piece behind, nothing worse.
        IgnoreResult(source.NextDisk());
        const std::string text = FullWidthDigits(index) + " 枚目のﾃﾞｨｽｸをｾｯﾄして下さい";
        if (ui.MessageBox(text, MsgButtons::OkCancel, MsgIcon::Warning) != MsgAnswer::Ok) return {};
    }
    // Only the presence of the name counts. A drive without a readable medium
    // finds nothing either, so it lands here too, for every piece.
    for (;;) {
        const std::string& folder = source.Locate();
        if (!folder.empty() && FileExists(folder + pieceName)) return folder + pieceName;
        const std::string text = "ﾃﾞｨｽｸが違います　" + FullWidthDigits(index) + " 番のﾃﾞｨｽｸをｾｯﾄして下さい";
        if (ui.MessageBox(text, MsgButtons::OkCancel, MsgIcon::Warning) != MsgAnswer::Ok) return {};
    }
}

}  // namespace modMender
