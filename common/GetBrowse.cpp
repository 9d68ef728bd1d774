#include "GetBrowse.h"

#include "Paths.h"

namespace modGetBrowse {

std::string BrowseForFolder(const std::string& startFolder, FolderBrowser& owner, const std::string& title)
{
    // The browser selects "/data" but not "/data/". The root keeps its one
    // separator: without it there would be nothing left to select.
    std::string start = startFolder;
    if (start.size() > 1 && start.back() == kPathSeparator) start.pop_back();

    BrowseInfo info;
    info.title = title;
    info.flags = 0;
    info.callback = &BrowseCallback;
    info.data = start.c_str();  // lives until the browser has returned

    const std::optional<BrowsedItem> item = owner.Browse(info);
    if (!item || !item->fileSystemPath) return {};
    return *item->fileSystemPath;
}

int32_t BrowseCallback(BrowserWindow& window, uint32_t message, intptr_t /*parameter*/, const char* data)
{
    if (message == BFFM_INITIALIZED) window.SetSelection(StringFromAnsiPointer(data));
    return 0;
}

std::string StringFromAnsiPointer(const char* text) { return text == nullptr ? std::string() : std::string(text); }

}  // namespace modGetBrowse
