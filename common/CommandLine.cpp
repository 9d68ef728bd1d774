#include "CommandLine.h"
#include "BoxText.h"

#include <algorithm>
#include <cctype>

namespace modCarver {

std::vector<std::string> CommandArgs;

namespace {

bool EqualIgnoringCase(const std::string& a, const std::string& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

// The stored name of the path's last component. A name the search cannot
// answer for is kept as given, and so is a missing folder on the way to the
// last component: dropping it would silently make the path name another place.
// Only a missing last component gives the empty name, leaving its folder.
std::string SearchedName(const std::string& path, Names& names, bool isFolderOnTheWay)
{
    const std::string given = path.substr(path.rfind(names.Separator()) + 1);
    const std::optional<std::string> stored = names.StoredEntryName(path);
    if (!stored || (stored->empty() && isFolderOnTheWay)) return given;
    return *stored;
}

std::string LongForm(const std::string& path, Names& names, bool isFolderOnTheWay)
{
    if (TrimSpaces(path).empty()) return {};
    const char separator = names.Separator();
    // The first separator after the first two characters: it ends a drive
    // ("C:") or, with the two leading separators skipped, a network server.
    const size_t rootEnd = path.find(separator, 2);
    if (rootEnd == std::string::npos) return path;
    const std::string root = path.substr(0, rootEnd);
    std::string parent = path.substr(0, path.rfind(separator));

    std::string name;
    if (!EqualIgnoringCase(parent, root)) {
        parent = LongForm(parent, names, true);
        name = SearchedName(path, names, isFolderOnTheWay);
    } else if (root.size() >= 2 && root[0] == separator && root[1] == separator) {
        // A share is not searched for: it keeps the name it arrived with.
        name = path.substr(root.size());
    } else {
        name = SearchedName(path, names, isFolderOnTheWay);
    }
    return JoinPathParts(parent, name, separator);
}

// The short-name query's answer as a text, up to its first NUL.
std::optional<std::string> ShortPathQuery(const std::string& path, Names& names)
{
    std::optional<std::string> shortPath = names.ShortPathName(path);
    if (shortPath) shortPath->resize(std::min(shortPath->size(), shortPath->find('\0')));
    return shortPath;
}

// Where the search for the space that ends the next argument starts: after
// the server and share of a network path, whose names may hold spaces.
size_t ArgumentSearchStart(const std::string& rest, char separator)
{
    if (rest.size() < 2 || rest[0] != separator || rest[1] != separator) return 0;
    const size_t afterServer = rest.find(separator, 2);
    if (afterServer == std::string::npos) return 1;
    const size_t afterShare = rest.find(separator, afterServer + 1);
    return afterShare == std::string::npos ? 0 : afterShare + 1;
}

}  // namespace

void ParseArguments(int argc, const char* const* argv, Names& names)
{
    CommandArgs.clear();
    for (int k = 1; k < argc; ++k) CommandArgs.push_back(LongPathOf(argv[k] == nullptr ? "" : argv[k], names));
}

void ParseCommandLine(const std::string& text, Names& names)
{
    CommandArgs.assign(1, std::string());
    if (text.find(' ') == std::string::npos) {
        CommandArgs[0] = LongPathOf(text, names);
        return;
    }
    // A short form without spaces: the text names one existing entry whose
    // long name has spaces.
    if (ShortPathOf(text, names).find(' ') == std::string::npos) {
        CommandArgs[0] = text;
        return;
    }

    std::string rest = text;
    size_t k = 0;
    for (;;) {
        const size_t space = rest.find(' ', ArgumentSearchStart(rest, names.Separator()));
        if (space == std::string::npos) break;
        CommandArgs.resize(k + 1);
        CommandArgs[k] = LongPathOf(rest.substr(0, space), names);
        rest = rest.substr(space + 1);
        ++k;
    }
    CommandArgs.resize(k + 1);
    CommandArgs[k] = LongPathOf(rest, names);
}

std::string CommandLineFileName() { return CommandArgs.empty() ? std::string() : TrimSpaces(CommandArgs[0]); }

std::string ShortPathOf(const std::string& path, Names& names)
{
    static const std::string kAllFiles = "*.*";
    if (path.size() >= kAllFiles.size() && path.ends_with(kAllFiles)) {
        const std::string folder = path.substr(0, path.find(kAllFiles));
        const std::optional<std::string> shortFolder = ShortPathQuery(folder, names);
        return shortFolder ? *shortFolder + kAllFiles : path;
    }
    const std::optional<std::string> shortPath = ShortPathQuery(path, names);
    return shortPath ? *shortPath : path;
}

std::string LongPathOf(const std::string& path, Names& names) { return LongForm(path, names, false); }

std::string JoinPathParts(const std::string& folder, const std::string& name, char separator)
{
    std::string left = folder;
    if (!left.empty() && left.back() == separator) left.pop_back();
    std::string right = name;
    if (!right.empty() && right.front() == separator) right.erase(0, 1);
    return left + separator + right;
}

}  // namespace modCarver
