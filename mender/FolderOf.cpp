#include "Files.h"
#include "Paths.h"
#include "modMender.h"

namespace modMender {

std::string FolderOf(const std::string& path)
{
    const size_t last = path.rfind(kPathSeparator);
    if (last != std::string::npos) return path.substr(0, last);
    // A bare file name lies in the current directory; like every folder this
    // routine returns, it comes without its trailing separator ("/" gives "").
    std::string current = CurrentDirectory();
    if (!current.empty() && current.back() == kPathSeparator) current.pop_back();
    return current;
}

}  // namespace modMender
