#include "Files.h"
#include "JoinSteps.h"
#include "NumberFormat.h"
#include "Paths.h"

namespace modMender {

PieceWait WaitForPiece(JoinerWindow& window, UiServices& ui, bool removable, int32_t index,
                       const std::string& piecePath)
{
    if (removable && index > 1) {
        const std::string text = FullWidthDigits(index) + " 枚目のﾃﾞｨｽｸをｾｯﾄして下さい";
        if (ui.MessageBox(text, MsgButtons::OkCancel, MsgIcon::Warning) != MsgAnswer::Ok) return PieceWait::Cancelled;
    }
    // Only the presence of the name counts. A drive without a readable medium
    // finds nothing either, so it lands here too, for every piece.
    for (;;) {
        if (FileExists(piecePath)) return PieceWait::Present;
        if (IsNonRegularEntry(piecePath)) return PieceWait::NotRegular;
        std::string text = "ﾃﾞｨｽｸが違います　" + FullWidthDigits(index) + " 番のﾃﾞｨｽｸをｾｯﾄして下さい";
        if (!removable) {
            // On a fixed drive no disk will bring it: the piece is named.
            window.PieceMissing(piecePath);
            text += kCrLf + FileNameOf(piecePath);
        }
        if (ui.MessageBox(text, MsgButtons::OkCancel, MsgIcon::Warning) != MsgAnswer::Ok) return PieceWait::Cancelled;
    }
}

}  // namespace modMender
