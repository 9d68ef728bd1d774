#pragma once
// Files dragged from the file manager onto a window.
#include <functional>
#include <string>

class QWidget;

// Makes the window take a file dropped anywhere on it: `take` gets the path
// of the first item dropped when that is an ordinary local file; a folder, a
// device or a remote address is refused while it is dragged. The window's
// text boxes take no drops of their own, so none lands in a folder box.
void AcceptFileDrops(QWidget& window, std::function<void(const std::string& path)> take);
