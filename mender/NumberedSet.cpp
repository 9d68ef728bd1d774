#include "NumberedSet.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include "Files.h"
#include "Paths.h"
#include "modMender.h"

namespace modMender {

namespace {

// Two short lines: a count and a file name. No join-info file either program
// writes comes near one block.
constexpr int64_t kLargestJoinInfo = 4096;

// NAME of NAME.EXT (EXT "000" or "001"), or nothing.
std::optional<std::string> StemOf(const std::string& path, std::string_view extension)
{
    if (path.size() <= extension.size() + 1 || !path.ends_with(extension) ||
        path[path.size() - extension.size() - 1] != '.')
        return std::nullopt;
    return path.substr(0, path.size() - extension.size() - 1);
}

// Bytes no join-info file holds: a control character other than the line
// ends (a file name holds none), with no piece count on the first line (a
// join-info file with a damaged name is still one, and refused as such).
bool HoldsNoJoinInfo(const std::string& path, int64_t length)
{
    BinaryReader file;
    std::vector<char> bytes(static_cast<size_t>(length));
    if (!file.Open(path) || !file.Read(bytes)) return false;
    const auto lineEnd = std::find_if(bytes.begin(), bytes.end(), [](char c) { return c == '\r' || c == '\n'; });
    if (ValidPieceCount(std::string(bytes.begin(), lineEnd))) return false;
    return std::any_of(bytes.begin(), bytes.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return (u < 0x20 && u != '\r' && u != '\n') || u == 0x7F;
    });
}

}  // namespace

bool StartsAtZero(const std::string& stem)
{
    const std::string zero = stem + ".000";
    if (IsNonRegularEntry(zero)) return false;
    const int64_t length = FileLength(zero);
    if (length > kLargestJoinInfo) return true;
    // A small one only beside a piece 001 no larger than itself, as split
    // makes them: a damaged join-info file is much smaller than the pieces.
    const int64_t next = FileLength(stem + ".001");
    return length > 0 && next >= 0 && length >= next && HoldsNoJoinInfo(zero, length);
}

std::string JoinInfoFileFor(const std::string& path)
{
    const auto stem = StemOf(path, "001");
    return stem && FileExists(*stem + ".000") ? *stem + ".000" : path;
}

std::optional<NumberedSet> NumberedSetOf(const std::string& path)
{
    // NAME.001 starts at 001 unless a NAME.000 lies beside it; a NAME.000 is
    // a piece only when it is no join-info file.
    std::optional<std::string> stem = StemOf(path, "001");
    bool fromZero = stem && FileExists(*stem + ".000");
    if (!stem) {
        stem = StemOf(path, "000");
        fromZero = true;
    }
    if (!stem || (fromZero && !StartsAtZero(*stem))) return std::nullopt;
    NumberedSet set;
    set.names.folder = WithBackslash(FolderOf(path));
    set.names.sourceName = set.names.baseName = FileNameOf(*stem);
    set.names.firstNumber = fromZero ? 0 : 1;
    // The highest number among the names of the set's form in the folder.
    const std::string prefix = set.names.baseName + ".";
    int32_t highest = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(set.names.folder, error)) {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with(prefix)) continue;
        if (const auto k = PieceNumberOf(name.substr(prefix.size())); k && *k > highest) highest = *k;
    }
    set.count = highest + (fromZero ? 1 : 0);
    return set;
}

}  // namespace modMender
