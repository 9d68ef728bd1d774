#pragma once
// The question asked while the destination drive has no room for a piece:
// a fresh disk was put in, format the disk, or give up.
#include <string>

#include "DiskFolder.h"
#include "SplitterWindow.h"
#include "UiServices.h"

namespace modCarver {

inline constexpr int kDiskSpaceOk = 0;
inline constexpr int kDiskSpaceCancelled = 9;

inline constexpr const char* kDiskSpaceCaption = N_("データ保存");
// The four lines of the question, joined by CR LF.
std::string DiskSpaceQuestion();
// Shown when the desktop offers no way to format the drive.
inline constexpr const char* kFormatUnavailable = N_("ﾃﾞｨｽｸの初期化はこの環境では行えません");

// Returns kDiskSpaceOk once the destination's drive has at least splitSize
// bytes free, kDiskSpaceCancelled when the user chose Cancel. Yes measures
// again (on a removable drive: the disk in it now); No formats the drive of
// the folder box's text, then measures again. Only a removable drive is
// formatted, and never one that holds the system or sourcePath; for any
// other No tells the user that formatting is not available.
int EnsureDiskSpace(SplitterWindow& window, UiServices& ui, DiskFolder& destination, double splitSize,
                    const std::string& sourcePath = {});
// The same for a folder on a fixed drive.
int EnsureDiskSpace(SplitterWindow& window, UiServices& ui, const std::string& destinationFolder,
                    double splitSize);

}  // namespace modCarver
