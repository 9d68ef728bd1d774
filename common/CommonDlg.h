#pragma once
// The file dialog wrapper: the open and save dialogs behind properties and
// show methods. The show methods never throw; they leave their outcome in
// ErrNumber (0 for a chosen file) for the caller to judge. Windows use it
// through PickFile; one object serves one dialog call.
//
// It carries the open and save dialogs only: neither program shows a colour,
// font, print or help dialog.
#include <cstdint>
#include <string>

#include "FileDialog.h"

// ErrNumber after Cancel while CancelError is true.
inline constexpr int32_t CancelledErrNumber = 32755;
// ErrNumber when the dialog cannot be shown at all.
inline constexpr int32_t DialogNotLoadedErrNumber = -32768;

// The description that goes with an ErrNumber; the empty text for 0.
std::string ErrDescriptionOf(int32_t errNumber);

class CommonDlg {
public:
    CommonDlg();

    // The owner window, given as the dialogs that are modal over it.
    FileDialog* Form() const { return form_; }
    void SetForm(FileDialog& form) { form_ = &form; }

    // "desc|pattern|desc|pattern": every bar becomes a NUL, and the list is
    // ended by one NUL unless it already ends with one.
    void SetFilter(const std::string& filter);
    void SetMaxFileSize(int32_t size) { maxFileSize_ = size; }
    const std::string& DialogTitle() const { return dialogTitle_; }
    void SetDialogTitle(const std::string& title) { dialogTitle_ = title; }
    void SetInitDir(const std::string& folder) { initDir_ = folder; }
    // Before a dialog the proposed name; after a chosen file its full path.
    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& name);  // trailing spaces removed
    void SetFilterIndex(int16_t index) { filterIndex_ = index; }
    void SetFlags(uint32_t flags) { flags_ = flags; }
    void SetDefaultExt(const std::string& extension) { defaultExt_ = extension; }
    // After a chosen file its name without the folder.
    const std::string& FileTitle() const { return fileTitle_; }
    void SetFileTitle(const std::string& title);  // trailing spaces removed
    bool CancelError() const { return cancelError_; }
    void SetCancelError(bool value) { cancelError_ = value; }

    void ShowOpen() { ShowFileDialog(1); }
    void ShowSave() { ShowFileDialog(2); }
    // 1 open, 2 save. Writing 1 or 2 shows that dialog; any other value is only stored.
    int16_t Action() const { return action_; }
    void SetAction(int16_t action);

    // True after the user cancelled while CancelError was true.
    bool CancelButton() const { return cancelButton_; }
    int32_t ErrNumber() const { return errNumber_; }
    std::string ErrDescription() const { return ErrDescriptionOf(errNumber_); }

private:
    void ShowFileDialog(int16_t intDlgA);
    void SetExtendedError(uint32_t code);
    FileDialogRecord FilledRecord() const;

    FileDialog* form_ = nullptr;
    int32_t errNumber_ = 0;
    bool cancelButton_ = false;
    int16_t action_ = 0;
    bool cancelError_ = false;
    std::string filter_;
    int32_t maxFileSize_ = 50000;
    std::string dialogTitle_;
    std::string initDir_;
    std::string fileName_;
    int16_t filterIndex_ = 0;
    uint32_t flags_ = 0;
    std::string defaultExt_;
    std::string fileTitle_;
};
