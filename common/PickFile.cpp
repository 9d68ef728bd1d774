#include "PickFile.h"

#include "CommonDlg.h"
#include "Paths.h"
#include "UiServices.h"

namespace {
// Open: no read-only check box, the folder and the file must exist, long names.
constexpr uint32_t kPickFileFlags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_LONGNAMES;
}  // namespace

std::string PickFile(FileDialog& owner, UiServices& ui, const std::string& title, const std::string& filter,
                     const std::string& initialName, int16_t filterIndex, const std::string& initialFolder)
{
    // A fresh object per call, so every call starts from the initial values.
    CommonDlg dialog;
    dialog.SetForm(owner);
    dialog.SetDialogTitle(title);
    dialog.SetFlags(kPickFileFlags);
    dialog.SetFilter(filter);
    const std::string extension = ExtensionOf(initialName);
    dialog.SetDefaultExt(extension.empty() ? extension : extension.substr(1));
    dialog.SetInitDir(initialFolder);
    dialog.SetFileName(initialName);
    dialog.SetFilterIndex(filterIndex);
    dialog.SetCancelError(true);

    dialog.ShowOpen();
    const int32_t error = dialog.ErrNumber();
    if (error == 0) return dialog.FileName();
    if (error != CancelledErrNumber) {
        // A plain text with the number: the descriptions speak of the
        // dialog's internals, not of anything the user can act on.
        ui.MessageBox(Tr("ﾀﾞｲｱﾛｸﾞ ﾎﾞｯｸｽでｴﾗｰが発生しました。") + std::string(kCrLf) +
                          TrFormat(N_("ｴﾗｰ番号: {1}"), {std::to_string(error)}),
                      MsgButtons::Ok, MsgIcon::Stop, dialog.DialogTitle());
    }
    return {};
}

std::string ExtensionOf(const std::string& name)
{
    for (size_t i = name.size(); i-- > 0;) {
        if (name[i] == '.') return name.substr(i);
        if (name[i] == kPathSeparator) return {};
    }
    return {};
}
