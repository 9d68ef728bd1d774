// Names on Linux: there are no short names, and a name is stored as it is
// given, except on file systems that ignore letter case (FAT on a memory
// stick), where the entry in the folder holds the stored spelling.
#include <dirent.h>
#include <memory>
#include <strings.h>
#include <sys/stat.h>

#include "../Names.h"

namespace {

// The folder that holds the path's last component.
std::string FolderPartOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

bool IsFolder(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

class LinuxNames final : public Names {
public:
    char Separator() const override { return '/'; }

    std::optional<std::string> ShortPathName(const std::string& path) override
    {
        struct stat st;
        if (path.empty() || ::lstat(path.c_str(), &st) != 0) return std::nullopt;
        return path;
    }

    std::optional<std::string> StoredEntryName(const std::string& path) override
    {
        const std::string folder = FolderPartOf(path);
        if (!IsFolder(folder)) return std::nullopt;
        const std::string name = path.substr(path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1);
        // A path ending with its separator names the folder itself, no entry in it.
        if (name.empty()) return std::string();
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0) return std::string();
        return SpellingInFolder(folder, name);
    }

private:
    // The entry of an existing name as the folder lists it: the same bytes on
    // most file systems, another letter case on those that ignore case.
    static std::string SpellingInFolder(const std::string& folder, const std::string& name)
    {
        std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), &::closedir);
        if (!dir) return name;
        std::string caseless;
        while (const dirent* entry = ::readdir(dir.get())) {
            if (name == entry->d_name) return name;
            if (caseless.empty() && ::strcasecmp(name.c_str(), entry->d_name) == 0) caseless = entry->d_name;
        }
        return caseless.empty() ? name : caseless;
    }
};

}  // namespace

Names& SystemNames()
{
    static LinuxNames names;
    return names;
}
