#include "DiskPrompt.h"

#include "CarverPlatform.h"
#include "DestinationDrive.h"
#include "DiskSpace.h"

namespace modCarver {

std::string DiskSpaceQuestion()
{
    return std::string("ディスクに空き容量がないかディスクの準備ができていません") + kCrLf +
           "ディスクを入れ替えた「はい」" + kCrLf + "ディスクの初期化を行う「いいえ」" + kCrLf +
           "処理を中止する「キャンセル」";
}

int EnsureDiskSpace(SplitterWindow& window, UiServices& ui, const std::string& destinationFolder,
                    double splitSize)
{
    Drives& drives = *Platform().drives;
    for (;;) {
        // A folder that is not there measures 0, so a missing disk and a full
        // one lead to the same question.
        const double free = FreeBytesForPiece(DriveRootText(drives, destinationFolder));
        if (free > 0 && free >= splitSize) return kDiskSpaceOk;

        switch (ui.MessageBox(DiskSpaceQuestion(), MsgButtons::YesNoCancel, MsgIcon::Warning, kDiskSpaceCaption)) {
        case MsgAnswer::Cancel:
            return kDiskSpaceCancelled;
        case MsgAnswer::No:
            // The drive to format is the one the folder box names now, which
            // may differ from the folder this run writes to.
            if (!drives.FormatDrive(window.ToFolderText()))
                ui.MessageBox(kFormatUnavailable, MsgButtons::Ok, MsgIcon::Warning, kDiskSpaceCaption);
            break;
        default:  // Yes: a fresh disk is in; measure it
            break;
        }
    }
}

}  // namespace modCarver
