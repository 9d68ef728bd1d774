#include "NumberedSet.h"

#include <filesystem>

#include "Files.h"
#include "Paths.h"
#include "modMender.h"

namespace modMender {

namespace {

constexpr std::string_view kFirstPiece = ".001";

// NAME of NAME.001, or nothing.
std::optional<std::string> StemOfFirstPiece(const std::string& path)
{
    if (path.size() <= kFirstPiece.size() || !path.ends_with(kFirstPiece)) return std::nullopt;
    return path.substr(0, path.size() - kFirstPiece.size());
}

}  // namespace

std::string JoinInfoFileFor(const std::string& path)
{
    const auto stem = StemOfFirstPiece(path);
    return stem && FileExists(*stem + ".000") ? *stem + ".000" : path;
}

std::optional<NumberedSet> NumberedSetOf(const std::string& path)
{
    const auto stem = StemOfFirstPiece(path);
    if (!stem || FileExists(*stem + ".000")) return std::nullopt;
    NumberedSet set;
    set.names.folder = WithBackslash(FolderOf(path));
    set.names.sourceName = set.names.baseName = FileNameOf(*stem);
    // The highest number among the names of the set's form in the folder.
    const std::string prefix = set.names.baseName + ".";
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(set.names.folder, error)) {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with(prefix)) continue;
        if (const auto k = PieceNumberOf(name.substr(prefix.size())); k && *k > set.highest) set.highest = *k;
    }
    return set;
}

}  // namespace modMender
