#include "FakeShortNames.h"

#include <algorithm>
#include <cctype>

namespace {

std::string Lower(std::string text)
{
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool SameName(const std::string& a, const std::string& b) { return Lower(a) == Lower(b); }

std::vector<std::string> Components(const std::string& text)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t sep = text.find('\\', start);
        parts.push_back(text.substr(start, sep - start));
        if (sep == std::string::npos) return parts;
        start = sep + 1;
    }
}

}  // namespace

void FakeShortNames::AddEntry(const std::string& longPath, const std::string& shortName)
{
    const size_t sep = longPath.rfind('\\');
    entries_.push_back({longPath.substr(0, sep), longPath.substr(sep + 1), shortName});
}

const FakeShortNames::Entry* FakeShortNames::Find(const std::string& folder, const std::string& name) const
{
    for (const Entry& e : entries_) {
        if (!SameName(e.folder, folder)) continue;
        if (SameName(e.longName, name) || (!e.shortName.empty() && SameName(e.shortName, name))) return &e;
    }
    return nullptr;
}

std::optional<FakeShortNames::Resolved> FakeShortNames::Resolve(const std::string& path) const
{
    for (const std::string& root : roots_) {
        if (path.size() < root.size() || !SameName(path.substr(0, root.size()), root)) continue;
        if (path.size() > root.size() && path[root.size()] != '\\') continue;
        Resolved resolved{path.substr(0, root.size()), {}};
        if (path.size() <= root.size() + 1) return resolved;
        std::string folder = root;
        for (const std::string& part : Components(path.substr(root.size() + 1))) {
            const Entry* e = Find(folder, part);
            if (e == nullptr) return std::nullopt;
            resolved.entries.push_back(e);
            folder = e->folder + "\\" + e->longName;
        }
        return resolved;
    }
    return std::nullopt;
}

std::optional<std::string> FakeShortNames::ShortPathName(const std::string& path)
{
    const bool trailing = !path.empty() && path.back() == '\\';
    const std::optional<Resolved> resolved = Resolve(trailing ? path.substr(0, path.size() - 1) : path);
    if (!resolved) return std::nullopt;
    std::string result = resolved->root;
    for (const Entry* e : resolved->entries) result += "\\" + (e->shortName.empty() ? e->longName : e->shortName);
    if (trailing) result += "\\";
    return result;
}

std::optional<std::string> FakeShortNames::StoredEntryName(const std::string& path)
{
    searches.push_back(path);
    const size_t sep = path.rfind('\\');
    if (sep == std::string::npos) return std::nullopt;
    const std::optional<Resolved> folder = Resolve(path.substr(0, sep));
    if (!folder) return std::nullopt;
    const std::string name = path.substr(sep + 1);
    if (name.empty()) return std::string();
    std::string folderLong = folder->entries.empty()
                                 ? folder->root
                                 : folder->entries.back()->folder + "\\" + folder->entries.back()->longName;
    const Entry* e = Find(folderLong, name);
    return e == nullptr ? std::string() : e->longName;
}
