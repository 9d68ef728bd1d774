#pragma once
// The open and save dialogs of one owner window, over QFileDialog: the title,
// the filter pairs with the selected one, the initial folder and name, and an
// existing file required when the record asks for it. A window makes one in
// its browse handler and hands it to PickFile: QtFileDialog dialogs(this);
#include <QStringList>

#include "FileDialog.h"

class QWidget;

class QtFileDialog : public FileDialog {
public:
    explicit QtFileDialog(QWidget* owner) : owner_(owner) {}

    bool GetOpenFileName(FileDialogRecord& record) override;
    bool GetSaveFileName(FileDialogRecord& record) override;
    uint32_t CommDlgExtendedError() override { return extendedError_; }

    // The record's description/pattern pairs as QFileDialog name filters,
    // "description (patterns)". A pattern "*.*" lists every file, names
    // without a dot included, as users of such a filter expect.
    static QStringList NameFiltersOf(const std::string& filter);

private:
    bool Run(FileDialogRecord& record, bool save);

    QWidget* owner_;
    uint32_t extendedError_ = 0;
};
