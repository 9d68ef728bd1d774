#include "FakeSystemTree.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

// A device path as written for Device, without its "@subsystem" marks.
std::string Plain(const std::string& path)
{
    std::istringstream names(path);
    std::string name, out;
    while (std::getline(names, name, '/')) out += (out.empty() ? "" : "/") + name.substr(0, name.find('@'));
    return out;
}

}  // namespace

FakeSystemTree::FakeSystemTree()
{
    char real[PATH_MAX];
    if (!::realpath(dir_.Path().c_str(), real)) throw std::runtime_error("no temporary folder");
    root_ = real;
    for (const char* folder : {"sys/dev/block", "sys/class/block", "sys/bus", "media/user", "disks"})
        fs::create_directories(At(folder));
    Device("virtual/block/vda", "254:0", 0);
    table_.push_back({1, "", "/", "254:0", "/dev/vda"});
    WriteTable();
}

DriveSources FakeSystemTree::Sources() const
{
    DriveSources sources;
    sources.mountInfo = At("mountinfo");
    sources.sysfs = At("sys");
    sources.mediaFolders = {Media()};
    return sources;
}

void FakeSystemTree::Device(const std::string& path, const std::string& devNumbers, int removable)
{
    std::string folder = At("sys/devices");
    std::istringstream names(path);
    std::string name;
    while (std::getline(names, name, '/')) {
        const size_t at = name.find('@');
        folder += "/" + name.substr(0, at);
        fs::create_directories(folder);
        if (at != std::string::npos && !fs::is_symlink(folder + "/subsystem")) {
            const std::string bus = At("sys/bus/" + name.substr(at + 1));
            fs::create_directories(bus);
            fs::create_directory_symlink(bus, folder + "/subsystem");
        }
    }
    if (removable >= 0) std::ofstream(folder + "/removable") << removable << "\n";
    fs::create_directory_symlink(folder, At("sys/dev/block/" + devNumbers));
    fs::create_directory_symlink(folder, At("sys/class/block/" + fs::path(folder).filename().string()));
}

void FakeSystemTree::Slave(const std::string& holder, const std::string& slave)
{
    const std::string slaves = At("sys/devices/" + Plain(holder) + "/slaves");
    fs::create_directories(slaves);
    const std::string target = At("sys/devices/" + Plain(slave));
    fs::create_directory_symlink(target, slaves + "/" + fs::path(target).filename().string());
}

void FakeSystemTree::MakeDisk(const std::string& disk, const std::vector<std::string>& entries)
{
    const std::string folder = At("disks/" + disk);
    fs::create_directories(folder);
    for (const std::string& e : entries) {
        if (e.back() == '/')
            fs::create_directories(folder + "/" + e);
        else
            WriteBytes(folder + "/" + e, e);
    }
}

std::string FakeSystemTree::DiskFolder(const std::string& disk) const
{
    for (const Entry& e : table_)
        if (e.disk == disk) return e.mountPoint;
    return At("disks/" + disk);
}

void FakeSystemTree::Mount(const std::string& disk, const std::string& mountPoint, const std::string& devNumbers,
                           const std::string& source)
{
    fs::create_directories(fs::path(mountPoint).parent_path());
    fs::rename(At("disks/" + disk), mountPoint);
    // As the kernel does, a new mount takes the lowest number free.
    int id = 100;
    while (std::any_of(table_.begin(), table_.end(), [id](const Entry& e) { return e.id == id; })) ++id;
    table_.push_back({id, disk, mountPoint, devNumbers, source});
    WriteTable();
}

void FakeSystemTree::Unmount(const std::string& mountPoint)
{
    for (auto it = table_.begin(); it != table_.end(); ++it) {
        if (it->mountPoint != mountPoint) continue;
        // As the desktop does, the mount point goes with the volume.
        fs::rename(mountPoint, At("disks/" + it->disk));
        table_.erase(it);
        WriteTable();
        return;
    }
    throw std::runtime_error("not mounted: " + mountPoint);
}

void FakeSystemTree::WriteTable() const
{
    std::ofstream out(At("mountinfo"));
    for (const Entry& e : table_)
        out << e.id << " 1 " << e.devNumbers << " / " << e.mountPoint << " rw,relatime - "
            << (e.source.rfind("/dev/", 0) == 0 ? "vfat " : "tmpfs ") << e.source << " rw\n";
}
