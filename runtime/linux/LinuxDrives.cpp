// Drives on Linux: the drive of a path is the mount that holds it, found in
// the mount table. A drive is removable as the desktop sees it: its block
// device, or a device it hangs from, says "removable" in sysfs or sits on a
// bus of hot-plugged storage (USB, MMC/SD, FireWire); a volume built on such
// a device (a partition, an encrypted or LVM volume) is removable too.
#include "LinuxDrives.h"

#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <pwd.h>
#include <sstream>
#include <linux/magic.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include "../Files.h"

namespace {

struct MountEntry {
    int id = 0;
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

bool IsUnder(const std::string& path, const std::string& top)
{
    if (top == "/") return !path.empty() && path[0] == '/';
    return !top.empty() && path.compare(0, top.size(), top) == 0 &&
           (path.size() == top.size() || path[top.size()] == '/');
}

// Of a path without a trailing separator.
std::string ParentOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos || slash == 0 ? "/" : path.substr(0, slash);
}

std::string LastNameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }
std::string FirstName(const std::string& relative) { return relative.substr(0, relative.find('/')); }

std::string Join(const std::string& folder, const std::string& name)
{
    return folder == "/" ? "/" + name : folder + "/" + name;
}

// The path made absolute, without ".", "..", empty names or a trailing separator.
std::string Normalized(const std::string& path)
{
    std::istringstream in(!path.empty() && path[0] == '/' ? path : CurrentDirectory() + "/" + path);
    std::vector<std::string> names;
    std::string name;
    while (std::getline(in, name, '/')) {
        if (name == "..") {
            if (!names.empty()) names.pop_back();
        } else if (!name.empty() && name != ".") {
            names.push_back(name);
        }
    }
    std::string out;
    for (const std::string& n : names) out += "/" + n;
    return out.empty() ? "/" : out;
}

// A path split into the nearest part of it that exists (canonical) and the
// names below that part that do not.
struct ExistingPart {
    std::string existing;
    std::string rest;
};

ExistingPart SplitAtExisting(const std::string& path)
{
    if (std::string real = RealPath(path); !real.empty()) return {real, {}};
    std::string p = Normalized(path), rest;
    while (p != "/") {
        rest = rest.empty() ? LastNameOf(p) : LastNameOf(p) + "/" + rest;
        p = ParentOf(p);
        if (std::string real = RealPath(p); !real.empty()) return {real, rest};
    }
    return {"/", rest};
}

std::vector<MountEntry> ReadMountTable(const std::string& file)
{
    std::vector<MountEntry> table;
    std::ifstream in(file);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        MountEntry m;
        std::string parent, devNumbers, root, mountPoint, field, fsType, source;
        if (!(fields >> m.id >> parent >> devNumbers >> root >> mountPoint)) continue;
        while (fields >> field && field != "-") {}
        fields >> fsType >> source;
        m.mountPoint = Unescape(mountPoint);
        m.device = Unescape(source);
        std::sscanf(devNumbers.c_str(), "%u:%u", &m.major, &m.minor);
        table.push_back(std::move(m));
    }
    return table;
}

// The innermost mount that holds a canonical path; a later line at the same
// point is stacked over an earlier one.
const MountEntry* MountHolding(const std::vector<MountEntry>& table, const std::string& real)
{
    const MountEntry* found = nullptr;
    for (const MountEntry& m : table)
        if (IsUnder(real, m.mountPoint) && (!found || m.mountPoint.size() >= found->mountPoint.size())) found = &m;
    return found;
}

bool ReadsOne(const std::string& file)
{
    std::ifstream in(file);
    int value = 0;
    return (in >> value) && value == 1;
}

// The buses that lsblk reports as hot-pluggable.
bool OnHotplugBus(const std::string& deviceFolder)
{
    char target[PATH_MAX];
    const ssize_t n = ::readlink((deviceFolder + "/subsystem").c_str(), target, sizeof target - 1);
    if (n <= 0) return false;
    const std::string bus = LastNameOf(std::string(target, static_cast<size_t>(n)));
    return bus == "usb" || bus == "mmc" || bus == "firewire" || bus == "ieee1394";
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
    explicit LinuxDrives(const DriveSources& sources)
        : mountInfo_(sources.mountInfo), swaps_(sources.swaps), sysfs_(sources.sysfs), deviceTree_(RealPath(sources.sysfs + "/devices"))
    {
        for (const std::string& folder : sources.mediaFolders) {
            const std::string real = RealPath(folder);
            mediaFolders_.push_back(real.empty() ? Normalized(folder) : real);
        }
    }

    bool IsRemovable(const std::string& path) override
    {
        const auto table = ReadMountTable(mountInfo_);
        if (table.empty()) return false;  // no mount table: a fixed drive
        const ExistingPart part = SplitAtExisting(path);
        if (!UnmountedVolumeOf(part, table).empty()) return true;
        const MountEntry* m = MountHolding(table, part.existing);
        return m && DeviceRemovable(*m);
    }

    std::string DriveRootOf(const std::string& path) override
    {
        const auto table = ReadMountTable(mountInfo_);
        const std::string real = RealPath(path);
        const MountEntry* m = MountHolding(table, real);
        // Without a mount table (no /proc, a chroot whose root is no mount
        // point) the folder itself stands for its drive: statvfs measures it.
        return m ? m->mountPoint : real;
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

    bool FormatDrive(const std::string& path, const std::string& sparedPath) override
    {
        const auto table = ReadMountTable(mountInfo_);
        const MountEntry* m = MountHolding(table, RealPath(path));
        const std::string utility = FindProgram("gnome-disks");
        if (utility.empty() || !m || m->device.rfind("/dev/", 0) != 0) return false;
        if (MustBeSpared(table, m->device, sparedPath)) return false;
        const pid_t pid = ::fork();
        if (pid < 0) return false;
        if (pid == 0) {
            ::execl(utility.c_str(), "gnome-disks", "--block-device", m->device.c_str(), "--format-device",
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
        return WIFEXITED(status) && WEXITSTATUS(status) != 127;
    }

    uint64_t LargestFileSize(const std::string& path) override
    {
        uint64_t largest = 0;
        struct statfs st;
        // FAT's sizes are 32-bit; vfat, msdos and umsdos share the one magic number.
        if (!path.empty() && ::statfs(path.c_str(), &st) == 0 && st.f_type == MSDOS_SUPER_MAGIC)
            largest = UINT32_MAX;
        struct rlimit limit;
        if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
            (largest == 0 || limit.rlim_cur < largest))
            largest = limit.rlim_cur;
        return largest;
    }

    std::vector<MountedVolume> Mounts() override
    {
        std::vector<MountedVolume> mounts;
        for (const MountEntry& m : ReadMountTable(mountInfo_))
            mounts.push_back({m.id, m.mountPoint, m.device, DeviceRemovable(m)});
        return mounts;
    }

    VolumePlace PlaceOf(const std::string& path) override
    {
        const auto table = ReadMountTable(mountInfo_);
        const ExistingPart part = SplitAtExisting(path);
        if (const std::string volume = UnmountedVolumeOf(part, table); !volume.empty()) {
            const std::string path = Join(part.existing, part.rest);
            return {volume, path.size() > volume.size() ? path.substr(volume.size() + 1) : std::string()};
        }
        const MountEntry* m = MountHolding(table, part.existing);
        if (!m) return {};
        std::string inner = part.existing.substr(m->mountPoint.size());
        if (!inner.empty() && inner[0] == '/') inner.erase(0, 1);
        if (!part.rest.empty()) inner = inner.empty() ? part.rest : inner + "/" + part.rest;
        return {m->mountPoint, inner};
    }

private:
    // Whether formatting the device would destroy the system or the file in
    // hand: it holds, or is built on the same disk as, what is mounted at /,
    // /boot, /usr, /var or /home, a swap area, or the spared path.
    bool MustBeSpared(const std::vector<MountEntry>& table, const std::string& device, const std::string& spared) const
    {
        std::vector<std::string> kept;
        for (const char* folder : {"/", "/boot", "/usr", "/var", "/home"})
            if (const MountEntry* m = MountHolding(table, RealPath(folder))) kept.push_back(m->device);
        if (const MountEntry* m = spared.empty() ? nullptr : MountHolding(table, RealPath(spared)))
            kept.push_back(m->device);
        std::ifstream swaps(swaps_);
        std::string line;
        std::getline(swaps, line);  // the heading
        while (std::getline(swaps, line)) kept.push_back(Unescape(line.substr(0, line.find_first_of(" \t"))));
        const std::vector<std::string> target = DevicesUnder(device);
        for (const std::string& other : kept) {
            if (other == device) return true;
            for (const std::string& a : DevicesUnder(other))
                for (const std::string& b : target)
                    if (IsUnder(a, b) || IsUnder(b, a)) return true;
        }
        return false;
    }

    // The sysfs folders of a block device and of every device it is built on
    // (a partition lies below its disk's folder).
    std::vector<std::string> DevicesUnder(const std::string& device) const
    {
        std::vector<std::string> folders;
        const std::string real = RealPath(device);
        if (device.rfind("/dev/", 0) != 0 || real.empty()) return folders;
        std::vector<std::string> pending{sysfs_ + "/class/block/" + LastNameOf(real)};
        while (!pending.empty() && folders.size() < 64) {
            const std::string folder = RealPath(pending.back());
            pending.pop_back();
            if (folder.empty()) continue;
            folders.push_back(folder);
            if (DIR* slaves = ::opendir((folder + "/slaves").c_str())) {
                while (const dirent* e = ::readdir(slaves))
                    if (e->d_name[0] != '.') pending.push_back(folder + "/slaves/" + e->d_name);
                ::closedir(slaves);
            }
        }
        return folders;
    }

    bool DeviceRemovable(const MountEntry& m) const
    {
        if (m.major != 0)
            return BlockDeviceRemovable(sysfs_ + "/dev/block/" + std::to_string(m.major) + ":" +
                                            std::to_string(m.minor),
                                        0);
        // File systems such as btrfs or FUSE show a device number of their
        // own; their source names the block device.
        if (m.device.rfind("/dev/", 0) == 0) {
            const std::string device = RealPath(m.device);
            return BlockDeviceRemovable(sysfs_ + "/class/block/" + LastNameOf(device.empty() ? m.device : device), 0);
        }
        return false;
    }

    // The block device whose sysfs folder this is: removable itself, hanging
    // from a removable or hot-plugged device, or built on such a block device.
    bool BlockDeviceRemovable(const std::string& folder, int depth) const
    {
        const std::string real = RealPath(folder);
        if (real.empty() || depth > 8) return false;
        if (ReadsOne(real + "/removable")) return true;
        if (DIR* slaves = ::opendir((real + "/slaves").c_str())) {
            bool any = false;
            while (const dirent* e = ::readdir(slaves))
                if (e->d_name[0] != '.' && BlockDeviceRemovable(real + "/slaves/" + e->d_name, depth + 1)) any = true;
            ::closedir(slaves);
            if (any) return true;
        }
        if (deviceTree_.empty()) return false;
        for (std::string d = ParentOf(real); d.size() > deviceTree_.size() && IsUnder(d, deviceTree_); d = ParentOf(d))
            if (ReadsOne(d + "/removable") || OnHotplugBus(d)) return true;
        return false;
    }

    // Of a path that does not exist: the mount point of the volume it would be
    // on, when it lies inside a folder where the desktop mounts removable
    // volumes but on no volume mounted there (that folder, or the volume's
    // own, need not exist: the desktop makes them when it mounts), or right
    // beside a removable volume; empty otherwise.
    std::string UnmountedVolumeOf(const ExistingPart& part, const std::vector<MountEntry>& table) const
    {
        if (part.rest.empty()) return {};
        const std::string path = Join(part.existing, part.rest);
        const MountEntry* holder = MountHolding(table, part.existing);
        for (const std::string& media : mediaFolders_) {
            const bool onVolumeThere = holder && holder->mountPoint.size() > media.size() && IsUnder(holder->mountPoint, media);
            if (path.size() > media.size() && IsUnder(path, media) && !onVolumeThere)
                return Join(media, FirstName(path.substr(media.size() + 1)));
        }
        for (const MountEntry& m : table)
            if (m.mountPoint != "/" && ParentOf(m.mountPoint) == part.existing && DeviceRemovable(m))
                return Join(part.existing, FirstName(part.rest));
        return {};
    }

    const std::string mountInfo_;
    const std::string swaps_;
    const std::string sysfs_;
    const std::string deviceTree_;  // the canonical sysfs devices folder
    std::vector<std::string> mediaFolders_;
};

}  // namespace

DriveSources SystemDriveSources()
{
    DriveSources sources;
    const passwd* user = ::getpwuid(::geteuid());
    const char* name = user ? user->pw_name : std::getenv("USER");
    if (name && *name) sources.mediaFolders = {std::string("/media/") + name, std::string("/run/media/") + name};
    return sources;
}

std::unique_ptr<Drives> LinuxDrivesOver(const DriveSources& sources)
{
    return std::make_unique<LinuxDrives>(sources);
}

Drives& SystemDrives()
{
    static const std::unique_ptr<Drives> drives = LinuxDrivesOver(SystemDriveSources());
    return *drives;
}
