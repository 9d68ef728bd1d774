#include "JoinResume.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <numeric>
#include <sstream>
#include <unistd.h>

#include "Paths.h"
#include "modMender.h"

namespace modMender {

namespace {

constexpr const char* kHeader = "mender-resume 1";

}  // namespace

int64_t ResumeState::JoinedLength() const
{
    return std::accumulate(pieceLengths.begin(), pieceLengths.end(), int64_t{0});
}

std::string ResumeStatePath(const std::string& rebuiltPath)
{
    return WithBackslash(FolderOf(rebuiltPath)) + "." + FileNameOf(rebuiltPath) + ".mender-resume";
}

std::string AbsolutePath(const std::string& path)
{
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved)) return resolved;
    // A file already deleted (the first piece of a numbered set): its folder
    // still resolves.
    if (::realpath(WithBackslash(FolderOf(path)).c_str(), resolved))
        return WithBackslash(resolved) + FileNameOf(path);
    return path;
}

bool ReadResumeState(const std::string& path, ResumeState& state)
{
    BinaryReader file;
    if (!file.Open(path)) return false;
    const int64_t length = file.Length();
    if (length <= 0 || length > (1 << 24)) return false;
    std::string text(static_cast<size_t>(length), '\0');
    if (!file.Read(text)) return false;

    // One "key value" per line; names run to the end of their line.
    std::istringstream in(text);
    std::string line;
    if (!std::getline(in, line) || line != kHeader) return false;
    ResumeState s;
    while (std::getline(in, line)) {
        const size_t space = line.find(' ');
        const std::string key = line.substr(0, space);
        const std::string value = space == std::string::npos ? std::string() : line.substr(space + 1);
        char* end = nullptr;
        const long long number = std::strtoll(value.c_str(), &end, 10);
        const bool isNumber = !value.empty() && *end == '\0' && number >= 0;
        if (key == "join-info") s.joinInfo = value;
        else if (key == "name") s.sourceName = value;
        else if (key == "count" && isNumber && number <= INT32_MAX) s.count = static_cast<int32_t>(number);
        else if (key == "piece" && isNumber) s.pieceLengths.push_back(number);
        else return false;
    }
    s.joined = static_cast<int32_t>(s.pieceLengths.size());
    if (s.joinInfo.empty() || s.sourceName.empty() || s.count < 1 || s.joined > s.count) return false;
    state = std::move(s);
    return true;
}

IoStatus WriteResumeState(const std::string& path, const ResumeState& state)
{
    std::string text = std::string(kHeader) + "\njoin-info " + state.joinInfo + "\nname " + state.sourceName +
                       "\ncount " + std::to_string(state.count) + "\n";
    for (int64_t length : state.pieceLengths) text += "piece " + std::to_string(length) + "\n";

    const std::string temporary = path + ".new";
    BinaryWriter file;
    if (IoStatus s = file.Create(temporary); !s) return s;
    if (IoStatus s = file.Write(text); !s) return s;
    if (IoStatus s = file.Sync(); !s) return s;
    if (IoStatus s = file.Close(); !s) return s;
    if (std::rename(temporary.c_str(), path.c_str()) != 0) return IoStatus::FromErrno(errno);
    return SyncPath(WithBackslash(FolderOf(path)));
}

}  // namespace modMender
