#pragma once
// The folder browser with a start folder already selected. It knows nothing
// of windows or text boxes: it takes a start folder, the browser of the owner
// window and a title, and returns a folder or the empty text. Windows call
// PickFolder rather than this.
#include <cstdint>
#include <string>

#include "FolderBrowser.h"

namespace modGetBrowse {

// Opens the browser with startFolder selected (its trailing separator
// dropped; a folder that does not exist leaves the browser's own selection).
// Returns the chosen folder's path, or the empty text for Cancel and for an
// item without a file-system path. Shows no message.
std::string BrowseForFolder(const std::string& startFolder, FolderBrowser& owner, const std::string& title);

// Once the browser is initialised, selects the start folder that data points
// to; every other message is ignored. Always 0.
int32_t BrowseCallback(BrowserWindow& window, uint32_t message, intptr_t parameter, const char* data);

// The NUL-terminated text at the address; the empty text for none.
std::string StringFromAnsiPointer(const char* text);

}  // namespace modGetBrowse
