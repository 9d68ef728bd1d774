#include "QtFileDialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <algorithm>
#include <vector>

#include "CodePage.h"

namespace {

// The texts of a NUL-separated list up to its first empty one.
std::vector<std::string> ListItems(const std::string& list)
{
    std::vector<std::string> items;
    size_t pos = 0;
    while (pos < list.size()) {
        const size_t end = std::min(list.find('\0', pos), list.size());
        if (end == pos) break;
        items.push_back(list.substr(pos, end - pos));
        pos = end + 1;
    }
    return items;
}

// The patterns of one pair, "*.txt;*.doc", as QFileDialog reads them.
QString QtPatterns(const std::string& patterns)
{
    QStringList qt;
    for (const QString& p : QString::fromStdString(patterns).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString pattern = p.trimmed();
        if (pattern.isEmpty()) continue;
        qt << (pattern == QLatin1String("*.*") ? QStringLiteral("*") : pattern);
    }
    return qt.isEmpty() ? QStringLiteral("*") : qt.join(QLatin1Char(' '));
}

}  // namespace

QStringList QtFileDialog::NameFiltersOf(const std::string& filter)
{
    const std::vector<std::string> items = ListItems(filter);
    QStringList filters;
    // A description without its pattern is dropped.
    for (size_t i = 0; i + 1 < items.size(); i += 2)
        filters << QString::fromStdString(items[i]) + QStringLiteral(" (") + QtPatterns(items[i + 1]) +
                       QLatin1Char(')');
    return filters;
}

bool QtFileDialog::GetOpenFileName(FileDialogRecord& record) { return Run(record, false); }

bool QtFileDialog::GetSaveFileName(FileDialogRecord& record) { return Run(record, true); }

bool QtFileDialog::Run(FileDialogRecord& record, bool save)
{
    extendedError_ = DialogClosedWithoutChoice;

    QFileDialog dialog(owner_, QString::fromStdString(record.title));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (save) {
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, (record.flags & OFN_OVERWRITEPROMPT) == 0);
    } else {
        dialog.setFileMode((record.flags & OFN_FILEMUSTEXIST) ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    }

    // The list shows the descriptions alone; the patterns appended to them
    // only drive the filtering.
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    const QStringList filters = NameFiltersOf(record.filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        if (record.filterIndex >= 1 && record.filterIndex <= filters.size())
            dialog.selectNameFilter(filters[record.filterIndex - 1]);
    }
    if (!record.initialDir.empty()) dialog.setDirectory(QString::fromStdString(record.initialDir));
    if (!record.file.empty()) dialog.selectFile(QString::fromStdString(record.file));
    if (!record.defaultExt.empty()) dialog.setDefaultSuffix(QString::fromStdString(record.defaultExt));

    if (dialog.exec() != QDialog::Accepted) return false;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) return false;

    const std::string path = chosen.front().toStdString();
    if (static_cast<int64_t>(CharacterCount(path)) > int64_t{record.fileBufferSize} - 1) {
        extendedError_ = DialogFileNameBufferTooSmall;
        return false;
    }
    record.file = path;
    // The title is cut to its buffer, as the file's name is only informative.
    std::string title = QFileInfo(chosen.front()).fileName().toStdString();
    const std::u32string chars = QString::fromStdString(title).toStdU32String();
    const int64_t room = std::max<int64_t>(int64_t{record.fileTitleBufferSize} - 1, 0);
    if (static_cast<int64_t>(chars.size()) > room)
        title = QString::fromStdU32String(chars.substr(0, static_cast<size_t>(room))).toStdString();
    record.fileTitle = title;
    return true;
}
