#pragma once
// The folder browser of one owner window, over QFileDialog in directory mode.
// A window makes one in its browse handler and hands it to PickFolder:
// QtFolderBrowser browser(this);
#include "FolderBrowser.h"

class QWidget;

class QtFolderBrowser : public FolderBrowser {
public:
    explicit QtFolderBrowser(QWidget* owner) : owner_(owner) {}
    std::optional<BrowsedItem> Browse(const BrowseInfo& info) override;

private:
    QWidget* owner_;
};
