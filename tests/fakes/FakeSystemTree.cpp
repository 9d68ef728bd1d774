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

FakeSystemTree::FakeSystemTree() : root_(fs::canonical(dir_.Path()).string())
{
    for (const char* folder : {"sys/dev/block", "media/user", "disks"}) fs::create_directories(At(folder));
    Device("virtual/block/vda", "254:0", 0);
    Device(kUsbDiskPath + "sdb", "8:16", 0);  // many USB disks say removable 0
    Device(kUsbDiskPath + "sdb/sdb1", "8:17", -1);
    table_.push_back({1, "", "/", "254:0", "/dev/vda"});
    WriteTable();
}

// Like most machines, one of the two media folders is not there.
DriveSources FakeSystemTree::Sources() const
{
    return {At("mountinfo"), At("sys"), {At("media/user"), At("run/media/user")}};
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
        if (at != std::string::npos && !fs::is_symlink(folder + "/subsystem"))
            fs::create_directory_symlink(At("sys/bus/" + name.substr(at + 1)), folder + "/subsystem");
    }
    if (removable >= 0) std::ofstream(folder + "/removable") << removable << "\n";
    fs::create_directory_symlink(folder, At("sys/dev/block/" + devNumbers));
}

void FakeSystemTree::Slave(const std::string& holder, const std::string& slave)
{
    const std::string slaves = At("sys/devices/" + Plain(holder) + "/slaves");
    fs::create_directories(slaves);
    fs::create_directory_symlink(At("sys/devices/" + Plain(slave)), slaves + "/" + fs::path(slave).filename().string());
}

void FakeSystemTree::MakeDisk(const std::string& disk, const std::string& folder)
{
    fs::create_directories(At("disks/" + disk + "/" + folder));
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
    const auto it = std::find_if(table_.begin(), table_.end(), [&](const Entry& e) { return e.mountPoint == mountPoint; });
    if (it == table_.end()) throw std::runtime_error("not mounted: " + mountPoint);
    // As the desktop does, the mount point goes with the volume.
    fs::rename(mountPoint, At("disks/" + it->disk));
    table_.erase(it);
    WriteTable();
}

void FakeSystemTree::WriteTable() const
{
    std::ofstream out(At("mountinfo"));
    for (const Entry& e : table_)
        out << e.id << " 1 " << e.devNumbers << " / " << e.mountPoint << " rw - vfat " << e.source << " rw\n";
}
