#include "Files.h"
#include "JoinSteps.h"
#include "NumberFormat.h"

namespace modMender {

bool WaitForPiece(UiServices& ui, bool removable, int32_t index, const std::string& piecePath)
{
    if (removable && index > 1) {
        const std::string text = FullWidthDigits(index) + " 枚目のﾃﾞｨｽｸをｾｯﾄして下さい";
        if (ui.MessageBox(text, MsgButtons::OkCancel, MsgIcon::Warning) != MsgAnswer::Ok) return false;
    }
    // Only the presence of the name counts. A drive without a readable medium
    // finds nothing either, so it lands here too, for every piece.
    while (!FileExists(piecePath)) {
        const std::string text = "ﾃﾞｨｽｸが違います　" + FullWidthDigits(index) + " 番のﾃﾞｨｽｸをｾｯﾄして下さい";
        if (ui.MessageBox(text, MsgButtons::OkCancel, MsgIcon::Warning) != MsgAnswer::Ok) return false;
    }
    return true;
}

}  // namespace modMender
