#include "SourceGuard.h"

#include <cerrno>
#include <sys/stat.h>

#include "RecoveryData.h"

namespace modCarver {

namespace {

bool SameFile(const struct stat& a, const std::string& path)
{
    struct stat b;
    return ::stat(path.c_str(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

IoStatus Refusal(const std::string& path)
{
    return IoStatus::Failure(TrFormat(N_("分割元ﾌｧｲﾙに上書きすることになります ({1})"), {path}));
}

}  // namespace

IoStatus CheckSourceIsSpared(const std::string& sourcePath, const SplitSetNames& names, int64_t pieceCount,
                             bool withBatch)
{
    struct stat source;
    if (::stat(sourcePath.c_str(), &source) != 0) return IoStatus::FromErrno(errno);
    if (SameFile(source, names.JoinInfoPath())) return Refusal(names.JoinInfoPath());
    if (withBatch && SameFile(source, names.BatchPath())) return Refusal(names.BatchPath());
    // The manifest is replaced (or an old one deleted) whether or not the set gets one.
    if (SameFile(source, names.ManifestPath())) return Refusal(names.ManifestPath());
    // So are recovery files of the name, which would describe other pieces.
    for (const std::string& path : ExistingRecoveryFiles(names))
        if (SameFile(source, path)) return Refusal(path);
    for (int64_t k = 1; k <= pieceCount; ++k) {
        const std::string piece = names.PiecePath(static_cast<int32_t>(k));
        if (SameFile(source, piece)) return Refusal(piece);
    }
    return IoStatus::Success();
}

bool IsSourceFile(const std::string& sourcePath, const std::string& path)
{
    struct stat source;
    return ::stat(sourcePath.c_str(), &source) == 0 && SameFile(source, path);
}

}  // namespace modCarver
