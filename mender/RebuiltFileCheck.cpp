#include <algorithm>
#include <optional>
#include <cerrno>
#include <climits>
#include <sys/stat.h>
#include <unistd.h>

#include "JoinSteps.h"
#include "Manifest.h"
#include "NumberFormat.h"
#include "Paths.h"
#include "modMender.h"

namespace modMender {

namespace {

struct FileIdentity {
    dev_t device;
    ino_t inode;
    bool operator==(const FileIdentity&) const = default;
};

std::optional<FileIdentity> IdentityOf(const std::string& path)
{
    struct stat st;
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return std::nullopt;
    return FileIdentity{st.st_dev, st.st_ino};
}

bool SameFolder(const std::string& a, const std::string& b)
{
    const auto ia = IdentityOf(a);
    return ia && ia == IdentityOf(b);
}

// Two paths name one file: the same file when both exist (hard links, links
// to folders, bind mounts and the like), otherwise the same name in the same
// folder.
bool SameFile(const std::string& a, const std::string& b)
{
    const auto ia = IdentityOf(a);
    const auto ib = IdentityOf(b);
    if (ia && ib) return *ia == *ib;
    return FileNameOf(a) == FileNameOf(b) &&
           SameFolder(WithBackslash(FolderOf(a)), WithBackslash(FolderOf(b)));
}

}  // namespace

bool IsPlainFileName(const std::string& name)
{
    if (name.empty() || name == "." || name == "..") return false;
    if (name.find(kPathSeparator) != std::string::npos) return false;
    // Control characters: a NUL would cut the name short at the system call,
    // the others would make a file that neither Carver nor a Windows system
    // can name, and could act on a terminal that shows it.
    return std::none_of(name.begin(), name.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x7F;
    });
}

IoStatus NameFitsFolder(const std::string& folder, const std::string& name)
{
    long most = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    if (most <= 0) most = NAME_MAX;
    if (name.size() <= static_cast<size_t>(most)) return IoStatus::Success();
    return IoStatus::FromErrno(ENAMETOOLONG).About(folder + name);
}

bool RebuiltFileIsOwnFile(const std::string& rebuiltPath, const std::string& joinInfoPath,
                          const SplitSetNames& set, int32_t count)
{
    const std::string ownFiles[] = {joinInfoPath, set.JoinInfoPath(), set.BatchPath(),
                                    set.folder + set.baseName + ".BAT", ManifestPathFor(joinInfoPath)};
    for (const std::string& path : ownFiles)
        if (SameFile(rebuiltPath, path)) return true;

    // Pieces present now, up to the first one missing (on removable media the
    // others are on later disks).
    const bool countReached = count >= 1;
    for (int32_t k = 1; !countReached || k <= count; ++k) {
        const std::string piece = set.PiecePath(k);
        if (!FileExists(piece)) break;
        if (SameFile(rebuiltPath, piece)) return true;
    }

    // A piece not there yet whose name the rebuilt file would take: line 2 is
    // then "stem" + a piece number, in the source folder itself.
    const std::string name = FileNameOf(rebuiltPath);
    const std::string stem = set.baseName + ".";
    if (name.compare(0, stem.size(), stem) != 0) return false;
    const auto k = PieceNumberOf(name.substr(stem.size()));
    if (!k || (countReached && *k > count)) return false;
    return SameFolder(WithBackslash(FolderOf(rebuiltPath)), set.folder);
}

bool IsRebuiltFile(const BinaryReader& piece, const BinaryWriter& rebuilt)
{
    struct stat a, b;
    return piece.IsOpen() && rebuilt.IsOpen() && ::fstat(piece.Descriptor(), &a) == 0 &&
           ::fstat(rebuilt.Descriptor(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace modMender
