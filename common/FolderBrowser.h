#pragma once
// The platform's folder browser as BrowseForFolder drives it. One object
// belongs to one owner window: the browser it shows is modal over that window.
#include <cstdint>
#include <optional>
#include <string>

// Messages between the browser and its callback.
inline constexpr uint32_t BFFM_INITIALIZED = 1;  // the browser window exists
inline constexpr uint32_t BFFM_SELCHANGED = 2;   // the selection moved

// The open browser, as its callback reaches it.
class BrowserWindow {
public:
    virtual ~BrowserWindow() = default;
    // Selects the folder a path names; a path that names no existing folder
    // leaves the selection as it is.
    virtual void SetSelection(const std::string& path) = 0;
};

// Called by the browser, on the thread that shows it, while it runs; data is
// the BrowseInfo's callback data. The result goes back to the browser.
using BrowseCallbackProc = int32_t (*)(BrowserWindow& window, uint32_t message, intptr_t parameter,
                                       const char* data);

// What the browser is shown with.
struct BrowseInfo {
    std::string title;
    uint32_t flags = 0;  // 0: every item may be confirmed, even one without a path
    BrowseCallbackProc callback = nullptr;
    const char* data = nullptr;
};

// The item the user confirmed.
struct BrowsedItem {
    // Its path in the file system; nothing for an item that has none (such as
    // a network location).
    std::optional<std::string> fileSystemPath;
};

class FolderBrowser {
public:
    virtual ~FolderBrowser() = default;
    // Shows the browser modally; nothing when the user cancelled or closed it.
    virtual std::optional<BrowsedItem> Browse(const BrowseInfo& info) = 0;
};
