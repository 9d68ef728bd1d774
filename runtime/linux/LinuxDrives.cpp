// Drives on Linux: the drive of a path is the mount that holds it, found in
// /proc/self/mountinfo; "removable" is what the block device behind that mount
// reports in sysfs.
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "../Drives.h"
#include "../Files.h"

namespace {

struct MountEntry {
    std::string mountPoint;
    std::string device;  // the mount's source, for example /dev/sdb1
    unsigned major = 0, minor = 0;
};

// Mount points in mountinfo escape space, tab, newline and backslash as \ooo.
std::string Unescape(const std::string& s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size()) {
            const std::string oct = s.substr(i + 1, 3);
            if (oct.size() == 3 && oct.find_first_not_of("01234567") == std::string::npos) {
                out += static_cast<char>(std::strtol(oct.c_str(), nullptr, 8));
                i += 3;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

std::string RealPath(const std::string& path)
{
    char buf[PATH_MAX];
    if (path.empty() || ::realpath(path.c_str(), buf) == nullptr) return {};
    return buf;
}

bool IsUnder(const std::string& path, const std::string& mountPoint)
{
    if (mountPoint == "/") return true;
    return path.compare(0, mountPoint.size(), mountPoint) == 0 &&
           (path.size() == mountPoint.size() || path[mountPoint.size()] == '/');
}

// The mount that holds an existing path (the innermost one).
bool FindMount(const std::string& path, MountEntry& found)
{
    const std::string real = RealPath(path);
    if (real.empty()) return false;
    std::ifstream in("/proc/self/mountinfo");
    std::string line;
    bool any = false;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string id, parent, devNumbers, root, mountPoint;
        fields >> id >> parent >> devNumbers >> root >> mountPoint;
        std::string field, source;
        while (fields >> field && field != "-") {}
        std::string fsType;
        fields >> fsType >> source;
        mountPoint = Unescape(mountPoint);
        if (!IsUnder(real, mountPoint)) continue;
        // Later lines stack over earlier ones at the same point.
        if (any && mountPoint.size() < found.mountPoint.size()) continue;
        found.mountPoint = mountPoint;
        found.device = Unescape(source);
        std::sscanf(devNumbers.c_str(), "%u:%u", &found.major, &found.minor);
        any = true;
    }
    return any;
}

bool ReadsOne(const std::string& file)
{
    std::ifstream in(file);
    int value = 0;
    return (in >> value) && value == 1;
}

std::string FindProgram(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        const std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return {};
}

class LinuxDrives final : public Drives {
public:
    bool IsRemovable(const std::string& path) override
    {
        MountEntry m;
        if (!FindMount(path, m) || m.major == 0) return false;
        const std::string dev = "/sys/dev/block/" + std::to_string(m.major) + ":" + std::to_string(m.minor);
        if (ReadsOne(dev + "/removable")) return true;
        // A partition reports through the disk that holds it.
        const std::string real = RealPath(dev);
        if (real.empty()) return false;
        return ReadsOne(real.substr(0, real.rfind('/')) + "/removable");
    }

    std::string DriveRootOf(const std::string& path) override
    {
        MountEntry m;
        return FindMount(path, m) ? m.mountPoint : std::string();
    }

    DiskFreeSpaceEx QueryFreeSpaceEx(const std::string& path) override
    {
        DiskFreeSpaceEx r;
        struct statvfs st;
        if (path.empty() || ::statvfs(path.c_str(), &st) != 0) return r;
        const uint64_t unit = st.f_frsize ? st.f_frsize : st.f_bsize;
        r.ok = true;
        r.totalBytes = uint64_t(st.f_blocks) * unit;
        // Blocks reserved for root are no room for the program.
        r.availableToCaller = uint64_t(st.f_bavail) * unit;
        r.totalFreeBytes = r.availableToCaller;
        return r;
    }

    DiskClusterCounts QueryClusterCounts(const std::string& path) override
    {
        DiskClusterCounts r;
        struct statvfs st;
        if (path.empty() || ::statvfs(path.c_str(), &st) != 0) return r;
        const uint64_t unit = st.f_frsize ? st.f_frsize : st.f_bsize;
        auto clamp = [](uint64_t v) { return static_cast<int32_t>(v > INT32_MAX ? INT32_MAX : v); };
        r.ok = true;
        r.bytesPerSector = 512;
        r.sectorsPerCluster = clamp(unit >= 512 ? unit / 512 : 1);
        r.freeClusters = clamp(st.f_bavail);
        r.totalClusters = clamp(st.f_blocks);
        return r;
    }

    bool CanListRoot(const std::string& path) override
    {
        DIR* dir = path.empty() ? nullptr : ::opendir(path.c_str());
        if (!dir) return false;
        errno = 0;
        const bool readable = ::readdir(dir) != nullptr || errno == 0;
        ::closedir(dir);
        return readable;
    }

    bool FormatDrive(const std::string& path) override
    {
        MountEntry m;
        const std::string utility = FindProgram("gnome-disks");
        if (utility.empty() || !FindMount(path, m) || m.device.rfind("/dev/", 0) != 0) return false;
        const pid_t pid = ::fork();
        if (pid < 0) return false;
        if (pid == 0) {
            ::execl(utility.c_str(), "gnome-disks", "--block-device", m.device.c_str(), "--format-device",
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
        return WIFEXITED(status) && WEXITSTATUS(status) != 127;
    }
};

}  // namespace

Drives& SystemDrives()
{
    static LinuxDrives drives;
    return drives;
}
