#include "DiskFolder.h"

#include <algorithm>
#include <sys/stat.h>
#include <utility>

#include "Paths.h"

namespace {

// Of a mount point: the folder it is in.
std::string ParentOf(const std::string& mountPoint)
{
    const size_t slash = mountPoint.rfind('/');
    return slash == std::string::npos || slash == 0 ? "/" : mountPoint.substr(0, slash);
}

// Whether the mount point lies below the other one.
bool IsBelow(const std::string& mountPoint, const std::string& top)
{
    if (top == "/") return mountPoint.size() > 1 && mountPoint[0] == '/';
    return mountPoint.size() > top.size() && mountPoint.rfind(top, 0) == 0 && mountPoint[top.size()] == '/';
}

}  // namespace

DiskFolder::DiskFolder(Drives& drives, UiServices& ui, const std::string& folder, bool removable)
    : drives_(drives), ui_(ui), folder_(folder), removable_(removable), current_(folder)
{
    if (!removable_) return;
    place_ = drives_.PlaceOf(folder_);
    startMountPoint_ = place_.mountPoint;
    RememberMounted();
    // A drive with no disk in it at the start says where its disk turned up.
    announce_ = Locate().empty();
}

void DiskFolder::RememberMounted()
{
    known_.clear();
    for (const MountedVolume& m : drives_.Mounts()) known_.insert({m.id, m.mountPoint});
}

const std::string& DiskFolder::Locate()
{
    if (!removable_) return current_;
    const std::vector<MountedVolume> mounts = drives_.Mounts();
    // A volume newly mounted at the folder's own path, or at a folder on the
    // way to it (the folder did not exist yet when the run started): that
    // volume is the disk, and the folder keeps its own text on it.
    if (const VolumePlace now = drives_.PlaceOf(folder_); IsBelow(now.mountPoint, place_.mountPoint)) {
        const auto fresh = std::find_if(mounts.begin(), mounts.end(), [&](const MountedVolume& m) {
            return m.mountPoint == now.mountPoint && !known_.contains({m.id, m.mountPoint});
        });
        if (fresh != mounts.end()) place_ = now, startMountPoint_ = now.mountPoint;
    }
    volume_ = {};
    for (const MountedVolume& m : mounts)
        if (m.mountPoint == place_.mountPoint) volume_ = m;  // the last one is stacked over the others
    if (volume_.mountPoint.empty()) {
        std::set<std::string> beside;
        for (const MountedVolume& m : mounts) {
            if (known_.contains({m.id, m.mountPoint}) || m.mountPoint == "/" || ParentOf(m.mountPoint) != ParentOf(place_.mountPoint))
                continue;
            beside.insert(m.mountPoint);
            volume_ = m;
        }
        // Two new volumes there: which one is the disk is anybody's guess.
        if (beside.size() != 1) volume_ = {};
    }
    if (volume_.mountPoint.empty()) {
        current_.clear();
        return current_;
    }
    place_.mountPoint = volume_.mountPoint;
    current_ = place_.mountPoint == startMountPoint_
                   ? folder_
                   : WithBackslash(place_.inner.empty() ? place_.mountPoint : place_.mountPoint + "/" + place_.inner);
    // Reported once after each question for a disk, and whenever the disk
    // turns out to be another volume than the one found last (a wrong disk
    // swapped for the right one).
    const std::pair<int, std::string> found{volume_.id, volume_.mountPoint};
    if (announce_ || (!lastFound_.second.empty() && found != lastFound_)) {
        announce_ = false;
        ui_.DiskFoundAt(current_);
    }
    lastFound_ = found;
    return current_;
}

void DiskFolder::Written(const std::string& path)
{
    written_.push_back(path);
    struct stat st;
    if (::stat(path.c_str(), &st) == 0) ownFiles_.insert({st.st_dev, st.st_ino});
}

bool DiskFolder::WrittenByThisRun(const std::string& path) const
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && ownFiles_.contains({st.st_dev, st.st_ino});
}

std::string DiskFolder::Root()
{
    if (removable_) return volume_.mountPoint;
    return FolderExists(folder_) ? drives_.DriveRootOf(folder_) : std::string();
}

IoStatus DiskFolder::Flush()
{
    if (!removable_) return IoStatus::Success();
    const std::vector<std::string> written = std::exchange(written_, {});
    if (written.empty()) return IoStatus::Success();
    for (const std::string& path : written)
        if (IoStatus s = SyncPath(path); !s) return std::move(s).About(path);
    // The folder holds their names (all of them written into one folder).
    const std::string folder = written.back().substr(0, written.back().rfind('/') + 1);
    return SyncPath(folder).About(folder);
}

IoStatus DiskFolder::NextDisk()
{
    if (!removable_) return IoStatus::Success();
    if (IoStatus s = Flush(); !s) return s;
    // Only a device the system itself sees as removable is worth unmounting.
    if (volume_.removable && volume_.device.rfind("/dev/", 0) == 0) ui_.DiskCanBeRemoved(volume_.device);
    RememberMounted();
    announce_ = true;
    return IoStatus::Success();
}
