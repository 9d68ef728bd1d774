#include "Files.h"
#include "JoinSteps.h"
#include "NumberFormat.h"
#include "Paths.h"
#include "SharedTexts.h"

namespace modMender {

PieceWait WaitForPiece(JoinerWindow& window, UiServices& ui, JoinDisks& disks, int32_t index,
                       SplitSetNames& set, const DiskOfSet& ofSet, IoStatus& failure,
                       const std::function<bool()>& canGoOnWithout)
{
    if (disks.Removable() && index > 1) {
        if (IoStatus s = disks.ReleaseDisk(); !s) {
            failure = std::move(s);
            return PieceWait::Failed;
        }
        const std::string text = TrFormat(kDiskQuestion, {std::to_string(index)});
        if (ui.MessageBox(text, MsgButtons::OkCancel, MsgIcon::Warning) != MsgAnswer::Ok) return PieceWait::Cancelled;
    }
    // Only the presence of the name counts. A drive without a readable medium,
    // or with no volume that can be the disk, finds nothing either, so it lands
    // here too, for every piece.
    for (;;) {
        if (const std::string& folder = disks.Locate(); !folder.empty()) {
            set.folder = folder;
            bool right = true;
            if (FileExists(set.PiecePath(index))) {
                if (IoStatus s = ofSet(folder, right); !s) {
                    failure = std::move(s);
                    return PieceWait::Failed;
                }
                if (right) return PieceWait::Present;
            }
            if (right && IsNonRegularEntry(set.PiecePath(index))) return PieceWait::NotRegular;
        }
        std::string text = TrFormat(N_("ﾃﾞｨｽｸが違います　{1:wide} 番のﾃﾞｨｽｸをｾｯﾄして下さい"), {std::to_string(index)});
        if (!disks.Removable()) {
            // On a fixed drive no disk will bring it: the piece is named.
            window.PieceMissing(set.PiecePath(index));
            text += kCrLf + set.PieceFileName(index);
        }
        if (canGoOnWithout && canGoOnWithout()) {
            text += kCrLf + TrFormat(N_("「いいえ」: 「{1}」なしで連結を続け、最後に修復用ﾃﾞｰﾀから作り直します"),
                                     {set.PieceFileName(index)});
            switch (ui.MessageBox(text, MsgButtons::YesNoCancel, MsgIcon::Warning)) {
            case MsgAnswer::Yes: continue;
            case MsgAnswer::No: return PieceWait::Lost;
            default: return PieceWait::Cancelled;
            }
        }
        if (ui.MessageBox(text, MsgButtons::OkCancel, MsgIcon::Warning) != MsgAnswer::Ok) return PieceWait::Cancelled;
    }
}

}  // namespace modMender
