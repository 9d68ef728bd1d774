#include "QtFolderBrowser.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QUrl>

namespace {

// The browser window as the callback sees it.
class QtBrowserWindow : public BrowserWindow {
public:
    explicit QtBrowserWindow(QFileDialog& dialog) : dialog_(dialog) {}
    void SetSelection(const std::string& path) override
    {
        const QFileInfo folder(QString::fromStdString(path));
        if (path.empty() || !folder.isDir()) return;
        // Opening inside the folder makes it the one that "Choose" confirms.
        dialog_.setDirectory(folder.absoluteFilePath());
    }

private:
    QFileDialog& dialog_;
};

}  // namespace

std::optional<BrowsedItem> QtFolderBrowser::Browse(const BrowseInfo& info)
{
    QFileDialog dialog(owner_, QString::fromStdString(info.title));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);

    // The dialog exists from here on: the callback's selection is what it
    // opens with.
    QtBrowserWindow window(dialog);
    if (info.callback != nullptr) {
        info.callback(window, BFFM_INITIALIZED, 0, info.data);
        QObject::connect(&dialog, &QFileDialog::currentChanged, &dialog,
                         [&](const QString&) { info.callback(window, BFFM_SELCHANGED, 0, info.data); });
    }

    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    BrowsedItem item;
    const QList<QUrl> urls = dialog.selectedUrls();
    if (!urls.isEmpty() && urls.front().isLocalFile() && !urls.front().toLocalFile().isEmpty())
        item.fileSystemPath = urls.front().toLocalFile().toStdString();
    return item;
}
