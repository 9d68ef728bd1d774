#include "JoinResume.h"

#include <cerrno>
#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <optional>
#include <sstream>

#include "Paths.h"
#include "Sha256.h"
#include "Translation.h"
#include "modMender.h"

namespace modMender {

namespace {

constexpr const char* kHeader = "mender-resume 2";
constexpr const char* kSuffix = ".mender-resume";
constexpr const char* kTemporarySuffix = ".new";
// The longest file name the file systems the programs meet can hold.
constexpr size_t kLongestName = 255;
constexpr const char* kNotAState = N_("再開情報ﾌｧｲﾙが正しくありません");

bool IsHash(const std::string& text)
{
    return text.size() == 64 && text.find_first_not_of("0123456789abcdef") == std::string::npos;
}

std::optional<int64_t> NumberOf(const std::string& text)
{
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 18)
        return std::nullopt;
    return std::strtoll(text.c_str(), nullptr, 10);
}

// "piece LENGTH HASH", "piece LENGTH HASH kept" or "piece LENGTH - hole"; "-"
// for a hash not taken.
bool ParsePiece(const std::string& value, JoinedPiece& piece)
{
    std::istringstream in(value);
    std::string length, hash, mark, extra;
    in >> length >> hash >> mark >> extra;
    const auto number = NumberOf(length);
    const bool hole = mark == "hole";
    if (!number || (hash != "-" && !IsHash(hash)) || (hole && hash != "-") || (!mark.empty() && mark != "kept" && !hole) ||
        !extra.empty())
        return false;
    piece = {*number, hash == "-" ? std::string() : hash, mark == "kept", hole};
    return true;
}

}  // namespace

int64_t ResumeState::JoinedLength() const
{
    return std::accumulate(pieces.begin(), pieces.end(), int64_t{0},
                           [](int64_t sum, const JoinedPiece& p) { return sum + p.length; });
}

bool ResumeState::HasHoles() const
{
    return std::any_of(pieces.begin(), pieces.end(), [](const JoinedPiece& p) { return p.hole; });
}

std::string ResumeStatePath(const std::string& rebuiltPath)
{
    std::string name = FileNameOf(rebuiltPath);
    const size_t room = kLongestName - 1 - std::string(kSuffix).size() - std::string(kTemporarySuffix).size();
    if (name.size() > room) {
        // 16 digits of the name's hash tell two long names of one start apart.
        Sha256 hash;
        hash.Update(name);
        Sha256Digest digest{};
        IgnoreResult(hash.Finish(digest));
        const std::string tail = "~" + HexOf(digest).substr(0, 16);
        size_t keep = room - tail.size();
        // Not in the middle of a UTF-8 character.
        while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80) --keep;
        name = name.substr(0, keep) + tail;
    }
    return WithBackslash(FolderOf(rebuiltPath)) + "." + name + kSuffix;
}

IoStatus ReadResumeState(const std::string& path, ResumeState& state)
{
    BinaryReader file;
    if (IoStatus s = file.Open(path); !s) return s;
    const int64_t length = file.Length();
    if (length <= 0 || length > (1 << 24)) return IoStatus::Failure(kNotAState).About(path);
    std::string text(static_cast<size_t>(length), '\0');
    if (IoStatus s = file.Read(text); !s) return s;

    // One "key value" per line; names run to the end of their line.
    std::istringstream in(text);
    std::string line;
    if (!std::getline(in, line) || line != kHeader) return IoStatus::Failure(kNotAState).About(path);
    ResumeState s;
    bool valid = true;
    while (valid && std::getline(in, line)) {
        const size_t space = line.find(' ');
        const std::string key = line.substr(0, space);
        const std::string value = space == std::string::npos ? std::string() : line.substr(space + 1);
        JoinedPiece piece;
        if (key == "count-line") s.countLine = value;
        else if (key == "name") s.sourceName = value;
        else if (key == "count" && NumberOf(value) && *NumberOf(value) <= INT32_MAX)
            s.count = static_cast<int32_t>(*NumberOf(value));
        else if (key == "piece" && ParsePiece(value, piece)) s.pieces.push_back(piece);
        else if (key == "complete" && value.empty()) s.complete = true;
        else if (key == "first-number" && (value == "0" || value == "1")) s.firstNumber = value == "0" ? 0 : 1;
        else valid = false;
    }
    if (!valid || s.sourceName.empty() || s.count < 1 || s.Joined() > s.count)
        return IoStatus::Failure(kNotAState).About(path);
    state = std::move(s);
    return IoStatus::Success();
}

IoStatus WriteResumeState(const std::string& path, const ResumeState& state)
{
    std::string text = std::string(kHeader) + "\ncount-line " + state.countLine + "\nname " + state.sourceName +
                       "\ncount " + std::to_string(state.count) + "\n";
    for (const JoinedPiece& p : state.pieces)
        text += "piece " + std::to_string(p.length) + " " + (p.hash.empty() ? "-" : p.hash) + (p.kept ? " kept" : "") +
                (p.hole ? " hole" : "") + "\n";
    if (state.complete) text += "complete\n";
    // Written only where it differs from what a state without it means.
    if (state.firstNumber != 1) text += "first-number " + std::to_string(state.firstNumber) + "\n";

    const std::string temporary = path + kTemporarySuffix;
    BinaryWriter file;
    if (IoStatus s = file.Create(temporary); !s) return s;
    if (IoStatus s = file.Write(text); !s) return s;
    if (IoStatus s = file.Sync(); !s) return s;
    if (IoStatus s = file.Close(); !s) return s;
    if (std::rename(temporary.c_str(), path.c_str()) != 0) return IoStatus::FromErrno(errno).About(path);
    const std::string folder = WithBackslash(FolderOf(path));
    return SyncPath(folder).About(folder);
}

std::string WhyNotThisSet(const ResumeState& saved, const ResumeState& current, const SplitSetNames& names,
                          const Manifest* manifest, const std::function<std::string(const std::string&)>& hashOf)
{
    // A numbered set knows its count only from the pieces still there.
    const bool numbered = current.countLine.empty();
    if (saved.countLine != current.countLine || saved.sourceName != current.sourceName ||
        (numbered ? saved.count < current.count : saved.count != current.count) ||
        saved.firstNumber != current.firstNumber)
        return Tr(N_("連結情報ﾌｧｲﾙの行がこのｾｯﾄと違います"));
    for (int32_t k = 1; k <= saved.Joined(); ++k) {
        const JoinedPiece& joined = saved.pieces[static_cast<size_t>(k - 1)];
        const std::string piece = names.PiecePath(k);
        const std::string name = names.PieceFileName(k);
        if (manifest && manifest->HashOf(name) && !joined.hash.empty() && *manifest->HashOf(name) != joined.hash)
            return TrFormat(N_("ﾏﾆﾌｪｽﾄの {1} の行が連結済みの分割ﾌｧｲﾙと違います"), {name});
        // A hole's piece was never joined: whatever is at its path is not in the rebuilt file.
        if (joined.hole || !FileExists(piece)) continue;
        // A piece joined is still there when its deletion came after the
        // state (the last one joined), failed, or waits for a whole-file line
        // (kept); any other piece at its path belongs to another set. A kept
        // piece is told by its length, to read nothing twice.
        if (FileLength(piece) != joined.length ||
            (!joined.kept && (joined.hash.empty() || hashOf(piece) != joined.hash)))
            return TrFormat(N_("{1} は連結済みの分割ﾌｧｲﾙではありません"), {name});
    }
    return {};
}

}  // namespace modMender
