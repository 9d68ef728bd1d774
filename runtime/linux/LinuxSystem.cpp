// System information, file times and the shell on Linux.
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "../FileTimes.h"
#include "../Files.h"
#include "../Shell.h"
#include "../SystemInfo.h"

namespace {

// 100-ns intervals between 1601-01-01 and 1970-01-01.
constexpr uint64_t kUnixEpochAsFileTime = 116444736000000000ULL;

class LinuxSystemInfo final : public SystemInfo {
public:
    // Linux answers the 64-bit free-space query, as an NT-family system does;
    // there is no registry.
    bool IsPlatformNT() override { return true; }
    std::string VersionRegistryValue(const std::string&) override { return {}; }
};

class LinuxFileTimes final : public FileTimes {
public:
    bool Read(const std::string& path, FileTimeSet& out) override
    {
        struct statx st;
        if (path.empty() || ::statx(AT_FDCWD, path.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &st) != 0)
            return false;
        if (::access(path.c_str(), R_OK) != 0) return false;
        FileTimeSet t;
        if (st.stx_mask & STATX_BTIME) t.creation = FileTimeFromUnix(st.stx_btime.tv_sec, st.stx_btime.tv_nsec);
        t.lastAccess = FileTimeFromUnix(st.stx_atime.tv_sec, st.stx_atime.tv_nsec);
        t.lastWrite = FileTimeFromUnix(st.stx_mtime.tv_sec, st.stx_mtime.tv_nsec);
        out = t;
        return true;
    }

    bool Write(const std::string& path, const FileTimeSet& times) override
    {
        // A read-only file cannot be opened for writing, so it keeps its times.
        if (!FileExists(path) || IsReadOnly(path)) return false;
        struct timespec ts[2];
        int64_t sec;
        uint32_t nsec;
        FileTimeToUnix(times.lastAccess, sec, nsec);
        ts[0] = {static_cast<time_t>(sec), static_cast<long>(nsec)};
        FileTimeToUnix(times.lastWrite, sec, nsec);
        ts[1] = {static_cast<time_t>(sec), static_cast<long>(nsec)};
        return ::utimensat(AT_FDCWD, path.c_str(), ts, 0) == 0;
    }
};

class LinuxShell final : public Shell {
public:
    // xdg-open with the folder as its one argument, no shell in between. The
    // child is reaped at once; the grandchild runs on its own.
    void OpenFolder(const std::string& folder) override
    {
        const pid_t child = ::fork();
        if (child < 0) return;
        if (child == 0) {
            if (::fork() == 0) {
                ::setsid();
                ::execlp("xdg-open", "xdg-open", folder.c_str(), static_cast<char*>(nullptr));
            }
            ::_exit(0);
        }
        while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {}
    }
};

}  // namespace

uint64_t FileTimeFromUnix(int64_t seconds, uint32_t nanoseconds)
{
    const int64_t ticks = seconds * 10000000LL + nanoseconds / 100;
    return kUnixEpochAsFileTime + static_cast<uint64_t>(ticks);
}

void FileTimeToUnix(uint64_t fileTime, int64_t& seconds, uint32_t& nanoseconds)
{
    const int64_t ticks = static_cast<int64_t>(fileTime - kUnixEpochAsFileTime);
    seconds = ticks / 10000000LL;
    int64_t rest = ticks % 10000000LL;
    if (rest < 0) {
        rest += 10000000LL;
        --seconds;
    }
    nanoseconds = static_cast<uint32_t>(rest * 100);
}

SystemInfo& ThisSystem()
{
    static LinuxSystemInfo info;
    return info;
}

FileTimes& SystemFileTimes()
{
    static LinuxFileTimes times;
    return times;
}

Shell& SystemShell()
{
    static LinuxShell shell;
    return shell;
}
