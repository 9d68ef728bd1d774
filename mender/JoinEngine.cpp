#include "JoinSteps.h"
#include "Paths.h"
#include "SplitSet.h"
#include "modMender.h"

namespace modMender {

bool CancelRequested = false;

namespace {

constexpr const char* kNoValidFileName = "連結情報ﾌｧｲﾙに正しいﾌｧｲﾙ名がありません";
constexpr const char* kRebuiltIsOwnFile = "連結後ﾌｧｲﾙが分割ﾌｧｲﾙに上書きすることになります";

void ClearProgress(JoinerWindow& window)
{
    window.StatusBox().Hide();
    window.SetStatusText("");
}

void ShowFailure(JoinerWindow& window, UiServices& ui, const IoStatus& cause)
{
    ClearProgress(window);
    ui.ShowFailure("ﾌｧｲﾙ連結失敗　原因を調査後再度実行してください", cause);
}

}  // namespace

void JoinFiles(JoinerWindow& window, UiServices& ui, const std::string& joinInfoPath,
               const std::string& destinationFolder, Drives& drives)
{
    if (ui.MessageBox("ﾌｧｲﾙの連結を行います", MsgButtons::OkCancel, MsgIcon::Warning) != MsgAnswer::Ok) return;

    const std::string sourceFolder = WithBackslash(FolderOf(joinInfoPath));
    const std::string destination = WithBackslash(destinationFolder);
    const bool removable = drives.IsRemovable(joinInfoPath);
    CancelRequested = false;

    // Only the last level; when that fails, creating the rebuilt file says why.
    if (!FolderExists(destination)) IgnoreResult(CreateFolder(destination));

    JoinInfo info;
    if (IoStatus s = ReadJoinInfo(joinInfoPath, info); !s) return ShowFailure(window, ui, s);
    if (!IsPlainFileName(info.sourceName)) return ShowFailure(window, ui, IoStatus::Failure(kNoValidFileName));
    const int32_t count = info.count;
    const std::string rebuiltPath = destination + info.sourceName;
    // Piece names follow line 2, not the name the join-info file has now.
    const SplitSetNames set = SplitSetNamesFor(rebuiltPath, sourceFolder);
    if (RebuiltFileIsOwnFile(rebuiltPath, joinInfoPath, set, count))
        return ShowFailure(window, ui, IoStatus::Failure(kRebuiltIsOwnFile));

    if (FileExists(rebuiltPath)) IgnoreResult(DeleteFile(rebuiltPath));
    BinaryWriter rebuilt;
    if (IoStatus s = rebuilt.Create(rebuiltPath); !s) return ShowFailure(window, ui, s);

    // The rebuilt file writes through a buffer, so its last blocks reach the
    // file only at Close: a failure there is a failed write like any other.
    auto closeRebuilt = [&]() {
        const IoStatus closed = rebuilt.Close();
        if (!closed) ShowFailure(window, ui, closed);
        return closed.ok();
    };

    std::vector<char> block(kBlockSize);
    // A count that is never reached (000, or no digits) goes on asking for
    // pieces until the user cancels at the wrong-disk prompt.
    for (int32_t i = 1;; ++i) {
        const std::string piecePath = set.PiecePath(i);
        if (!WaitForPiece(ui, removable, i, piecePath)) {
            // The progress box and status text keep showing the last piece.
            closeRebuilt();
            return;
        }
        const bool lastPiece = count == i;

        IoStatus failure;
        switch (CopyPiece(window, ui, rebuilt, piecePath, i, count, block, failure)) {
        case PieceEnd::Failed:
            IgnoreResult(rebuilt.Close());
            return ShowFailure(window, ui, failure);
        case PieceEnd::Cancelled:
            if (!closeRebuilt()) return;
            ClearProgress(window);
            ui.Yield();
            return;
        case PieceEnd::Copied:
            break;
        }
        window.SetStatusText("残り 0");
        ui.Yield();

        if (window.AfterDeleteChecked()) {
            if (IoStatus s = DeleteJoinedFiles(rebuilt, set, i); !s) {
                IgnoreResult(rebuilt.Close());
                return ShowFailure(window, ui, s);
            }
        }
        if (lastPiece) {
            if (closeRebuilt()) ClearProgress(window);
            return;
        }
    }
}

}  // namespace modMender
