#pragma once
// A machine's mounts and block devices as files a test can change, for the
// Linux drives (LinuxDrivesOver): a mountinfo file, a sysfs tree and a media
// folder in a temporary folder. A volume is a real folder: a disk that is not
// mounted waits in disks/NAME and is moved to its mount point when mounted.
#include <string>
#include <vector>

#include "LinuxDrives.h"
#include "TempFolder.h"

// The buses a USB disk and a SATA disk hang from, as paths for Device.
inline const std::string kUsbDiskPath =
    "pci0000:00@pci/0000:00:14.0@pci/usb1@usb/1-1@usb/1-1:1.0@usb/host6@scsi/target6:0:0@scsi/6:0:0:0@scsi/block/";
inline const std::string kSataDiskPath =
    "pci0000:00@pci/0000:00:17.0@pci/ata1@ata/host0@scsi/target0:0:0@scsi/0:0:0:0@scsi/block/";

class FakeSystemTree {
public:
    // The root file system on a fixed disk; a USB disk sdb with partition
    // sdb1 (8:17) plugged in but not mounted; the media folder empty.
    FakeSystemTree();

    // Canonical paths inside the tree.
    std::string At(const std::string& relative) const { return root_ + "/" + relative; }
    // Where the desktop mounts removable volumes: media/user (and
    // run/media/user, which is not there).
    std::string Media(const std::string& name) const { return At("media/user/" + name); }
    DriveSources Sources() const;

    // A block device in sysfs at devices/PATH. The folders along the path are
    // written "name@subsystem" where they belong to a bus; the last one is the
    // device, with its removable flag (none for -1, as a partition).
    void Device(const std::string& path, const std::string& devNumbers, int removable);
    // The device at devices/HOLDER is built on the one at devices/SLAVE.
    void Slave(const std::string& holder, const std::string& slave);

    // A disk not mounted, holding an empty folder (none when empty).
    void MakeDisk(const std::string& disk, const std::string& folder = "films");
    // The disk's folder, wherever it is now.
    std::string DiskFolder(const std::string& disk) const;
    void Mount(const std::string& disk, const std::string& mountPoint, const std::string& devNumbers = "8:17",
               const std::string& source = "/dev/sdb1");
    void Unmount(const std::string& mountPoint);

private:
    struct Entry {
        int id;
        std::string disk, mountPoint, devNumbers, source;
    };
    void WriteTable() const;

    TempFolder dir_;
    std::string root_;
    std::vector<Entry> table_;
};
