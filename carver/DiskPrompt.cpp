#include "DiskPrompt.h"

#include "CarverPlatform.h"
#include "DiskSpace.h"

namespace modCarver {

std::string DiskSpaceQuestion()
{
    // Line by line: a catalog's texts hold no CR.
    return std::string(Tr("ディスクに空き容量がないかディスクの準備ができていません")) + kCrLf +
           Tr("ディスクを入れ替えた「はい」") + kCrLf + Tr("ディスクの初期化を行う「いいえ」") + kCrLf +
           Tr("処理を中止する「キャンセル」");
}

int EnsureDiskSpace(SplitterWindow& window, UiServices& ui, DiskFolder& destination, double splitSize,
                    const std::string& sourcePath)
{
    Drives& drives = *Platform().drives;
    for (;;) {
        // A drive with no disk in it, or a folder that is not there, measures
        // 0, so a missing disk and a full one lead to the same question.
        destination.Locate();
        const std::string root = destination.Root();
        const double free = root.empty() ? 0 : FreeBytesForPiece(root);
        if (free > 0 && free >= splitSize) return kDiskSpaceOk;

        ui.DiskRoomShort(free, splitSize);
        switch (ui.MessageBox(DiskSpaceQuestion(), MsgButtons::YesNoCancel, MsgIcon::Warning, kDiskSpaceCaption)) {
        case MsgAnswer::Cancel:
            return kDiskSpaceCancelled;
        case MsgAnswer::No:
            // Only a disk that comes out of its drive is formatted: on a fixed
            // drive No would aim the formatter at a system or data partition.
            // The drive to format is the one the folder box names now, which
            // may differ from the folder this run writes to.
            if (!destination.Removable() || !drives.FormatDrive(window.ToFolderText(), sourcePath))
                ui.MessageBox(kFormatUnavailable, MsgButtons::Ok, MsgIcon::Warning, kDiskSpaceCaption);
            break;
        default:  // Yes: a fresh disk is in; measure it
            break;
        }
    }
}

int EnsureDiskSpace(SplitterWindow& window, UiServices& ui, const std::string& destinationFolder,
                    double splitSize)
{
    DiskFolder fixed(*Platform().drives, ui, destinationFolder, false);
    return EnsureDiskSpace(window, ui, fixed, splitSize);
}

}  // namespace modCarver
