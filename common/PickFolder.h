#pragma once
// The browse-for-a-folder routine of both windows. A window's browse button
// calls it with the browser of that window and the folder box, e.g.
//     QtFolderBrowser browser(this);
//     QtTextBox box(*txtToFolder);
//     PickFolder(browser, box);
class FolderBrowser;
class WritableTextBox;

// Opens the folder browser at the folder in the box (its text as it stands)
// and writes the chosen folder back with a trailing separator. Cancel, or an
// item that is no folder of the file system, leaves the box as it was.
void PickFolder(FolderBrowser& owner, WritableTextBox& box);
