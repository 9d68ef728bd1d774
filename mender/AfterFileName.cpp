#include "SplitSet.h"
#include "modMender.h"

namespace modMender {

namespace {

std::string TrimSpaces(const std::string& text)
{
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

void LoadAfterFileName(JoinerWindow& window)
{
    const std::string path = TrimSpaces(window.KetugoFileNameText());
    if (path.empty()) return;
    // A file that cannot be read, or has no line 2, shows no name rather than
    // the name of a file chosen before.
    JoinInfo info;
    window.SetAfterFileNameText(ReadJoinInfo(path, info) ? info.sourceName : std::string());
}

}  // namespace modMender
