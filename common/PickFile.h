#pragma once
// The browse-for-a-file routine of both windows. A window's browse button
// calls it with the dialogs of that window and its UI services, e.g.
//     QtFileDialog dialogs(this);
//     const std::string path = PickFile(dialogs, ui, "分割ﾌｧｲﾙの指定",
//                                       "すべてのﾌｧｲﾙ (*.*)|*.*", "", 1, folder);
//     if (!path.empty()) txtCarverFileName->setText(QString::fromStdString(path));
#include <cstdint>
#include <string>

class FileDialog;
class UiServices;

// Shows the open-file dialog (an existing file required) and returns the
// chosen file's full path. Cancel gives the empty text without a message; any
// other failure gives the empty text after a stop box titled with the title.
// filter: "description|pattern" pairs; filterIndex: 1-based pair selected.
std::string PickFile(FileDialog& owner, UiServices& ui, const std::string& title, const std::string& filter,
                     const std::string& initialName, int16_t filterIndex, const std::string& initialFolder);

// The extension of a name's last component, its dot included ("movie.avi"
// gives ".avi", "archive.tar.gz" ".gz"); the empty text when it has none.
std::string ExtensionOf(const std::string& name);
