// Both command-line programs disk by disk across real volumes: each disk a
// tmpfs mounted at a path of its own, as the desktop mounts each stick under
// its label. Needs root; skipped otherwise.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sched.h>
#include <set>
#include <sys/mount.h>
#include <unistd.h>

#include "ChildProcess.h"
#include "TempFolder.h"

namespace fs = std::filesystem;

namespace {

// Volumes at media/NAME. A tmpfs forgets its files when unmounted, so a
// disk's files go to shelf/DISK then and come back on the next mount.
class Volumes {
public:
    explicit Volumes(const std::string& folder) : folder_(fs::canonical(folder).string() + "/")
    {
        fs::create_directories(folder_ + "shelf");
    }
    ~Volumes()
    {
        for (const std::string& at : mounted_) ::umount2(at.c_str(), MNT_DETACH);
    }

    // Why no volume can be mounted here; empty when one can.
    std::string CannotMount()
    {
        if (::geteuid() != 0) return "mounting volumes needs root";
        // Keep the test's mounts out of the rest of the machine where possible.
        if (::unshare(CLONE_NEWNS) == 0) ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr);
        if (Mount("probe").empty()) return std::string("mount -t tmpfs fails here: ") + std::strerror(errno);
        return Unmount("probe") ? std::string() : "a tmpfs cannot be unmounted here";
    }

    // A fresh volume holding the shelved disk (or an empty films/); its folder.
    std::string Mount(const std::string& name, const std::string& disk = {})
    {
        const std::string at = folder_ + "media/" + name;
        fs::create_directories(at);
        if (::mount("tmpfs", at.c_str(), "tmpfs", 0, "size=8m") != 0) return {};
        mounted_.insert(at);
        if (disk.empty())
            fs::create_directory(at + "/films");
        else
            fs::copy(folder_ + "shelf/" + disk, at, fs::copy_options::recursive);
        return at + "/films/";
    }

    // Shelves the volume's files as `disk` and unmounts it; false while a
    // program still holds something on it.
    bool Unmount(const std::string& name, const std::string& disk = {})
    {
        const std::string at = folder_ + "media/" + name;
        if (!disk.empty()) fs::copy(at, folder_ + "shelf/" + disk, fs::copy_options::recursive);
        if (::umount(at.c_str()) != 0) return false;
        mounted_.erase(at);
        fs::remove(at);  // as the desktop removes the mount point
        return true;
    }

private:
    const std::string folder_;
    std::set<std::string> mounted_;
};

std::string DiskQuestion(int k)
{
    const char* digits[] = {"", "１", "２ ", "３ "};
    return std::string(digits[k]) + "枚目のﾃﾞｨｽｸをｾｯﾄして下さい [OK/Cancel] ";
}

}  // namespace

// The drive is --removable: a tmpfs has no block device for the system to
// call removable. Which volume is the next disk does not depend on that.
TEST(CliVolumes, SplitAndJoinAcrossThreeVolumesEachMountedAtAPathOfItsOwn)
{
    TempFolder dir;
    Volumes volumes(dir.Path());
    if (const std::string reason = volumes.CannotMount(); !reason.empty()) GTEST_SKIP() << reason;
    const std::string data = PatternBytes(250'000, 9);
    WriteBytes(dir / "data.bin", data);

    const std::string disk1 = volumes.Mount("DISK1");
    ChildProcess carver(CARVER_CLI, {"--removable", "-s", "100KB", dir / "data.bin", disk1});
    ASSERT_TRUE(carver.WaitFor("分割数は *.001～*.003 の ３ です [OK/Cancel] ")) << carver.Err();
    carver.Send("ok");
    ASSERT_TRUE(carver.WaitFor(DiskQuestion(1))) << carver.Err();
    carver.Send("ok");
    for (int k = 2; k <= 3; ++k) {
        ASSERT_TRUE(carver.WaitFor(DiskQuestion(k))) << carver.Err();
        const std::string last = "DISK" + std::to_string(k - 1);
        ASSERT_TRUE(volumes.Unmount(last, last)) << "the split holds something open on " << last;
        const std::string folder = volumes.Mount("DISK" + std::to_string(k));
        carver.Send("ok");
        ASSERT_TRUE(carver.WaitFor("disk found at " + folder + "\n")) << carver.Err();
    }
    EXPECT_EQ(carver.Wait(), 0) << carver.Err();
    ASSERT_TRUE(volumes.Unmount("DISK3", "DISK3"));

    // The join, each disk mounted somewhere else than where it was written;
    // a piece on the wrong disk would bring the wrong-disk question instead.
    const std::string places[] = {"", "A", "B", "C"};
    const std::string first = volumes.Mount("A", "DISK1");
    ChildProcess mender(MENDER_CLI, {"--removable", "-d", first + "data.000", dir / "out"});
    ASSERT_TRUE(mender.WaitFor("ﾌｧｲﾙの連結を行います [OK/Cancel] ")) << mender.Err();
    mender.Send("ok");
    for (int k = 2; k <= 3; ++k) {
        ASSERT_TRUE(mender.WaitFor(DiskQuestion(k))) << mender.Err();
        EXPECT_TRUE(fs::is_empty(dir / ("media/" + places[k - 1] + "/films"))) << "-d deletes as it goes";
        ASSERT_TRUE(volumes.Unmount(places[k - 1])) << "the join holds something open on " << places[k - 1];
        const std::string folder = volumes.Mount(places[k], "DISK" + std::to_string(k));
        mender.Send("ok");
        ASSERT_TRUE(mender.WaitFor("disk found at " + folder + "\n")) << mender.Err();
    }
    EXPECT_EQ(mender.Wait(), 0) << mender.Err();
    EXPECT_EQ(ReadBytes(dir / "out/data.bin"), data);
}
