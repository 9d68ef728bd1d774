// Both command-line programs disk by disk across real volumes: every disk a
// tmpfs mounted at a path of its own, the way the desktop mounts each stick
// under its label. Needs root; skipped otherwise.
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

// Volumes mounted by the test under one folder; a volume's files go to a
// shelf when it is unmounted (a tmpfs forgets them) and come back when it is
// mounted again, anywhere.
class Volumes {
public:
    explicit Volumes(const std::string& folder) : media_(folder + "media/"), shelf_(folder + "shelf/") {}
    ~Volumes()
    {
        for (const std::string& at : mounted_) ::umount2(at.c_str(), MNT_DETACH);
    }

    // Why volumes cannot be mounted here; empty when they can.
    std::string CannotMount()
    {
        if (::geteuid() != 0) return "mounting volumes needs root";
        // Mounts of this test stay out of the rest of the machine where it can.
        if (::unshare(CLONE_NEWNS) == 0) ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr);
        const std::string probe = Mount("probe");
        if (probe.empty()) return std::string("mount -t tmpfs fails here: ") + std::strerror(errno);
        return Unmount("probe") ? std::string() : "a tmpfs cannot be unmounted here";
    }

    // Mounts a fresh volume at media/NAME holding what the shelf keeps of `disk`
    // (or a films/ folder for a new disk); returns the mount point.
    std::string Mount(const std::string& name, const std::string& disk = {})
    {
        const std::string at = media_ + name;
        fs::create_directories(at);
        if (::mount("tmpfs", at.c_str(), "tmpfs", 0, "size=8m") != 0) return {};
        mounted_.insert(at);
        if (disk.empty())
            fs::create_directory(at + "/films");
        else
            fs::copy(shelf_ + disk, at, fs::copy_options::recursive);
        return fs::canonical(at).string();
    }

    // Puts the volume's files on the shelf as `disk` and unmounts it; false
    // when the volume is busy (a program still holds something on it).
    bool Unmount(const std::string& name, const std::string& disk = {})
    {
        const std::string at = media_ + name;
        if (!disk.empty()) {
            fs::create_directories(shelf_);
            fs::copy(at, shelf_ + disk, fs::copy_options::recursive);
        }
        if (::umount(at.c_str()) != 0) return false;
        mounted_.erase(at);
        fs::remove(at);  // as the desktop removes the mount point
        return true;
    }

    std::vector<std::string> Shelved(const std::string& disk) const
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(shelf_ + disk + "/films")) names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string ShelvedBytes(const std::string& disk, const std::string& name) const
    {
        return ReadBytes(shelf_ + disk + "/films/" + name);
    }

private:
    const std::string media_, shelf_;
    std::set<std::string> mounted_;
};

std::string Question(int disk)
{
    const char* digits[] = {"", "１", "２", "３"};
    return std::string(digits[disk]) + (disk == 1 ? "" : " ") + "枚目のﾃﾞｨｽｸをｾｯﾄして下さい [OK/Cancel] ";
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
    ASSERT_FALSE(disk1.empty());
    {
        ChildProcess carver(CARVER_CLI, {"--removable", "-s", "100KB", dir / "data.bin", disk1 + "/films"});
        ASSERT_TRUE(carver.WaitFor("分割数は *.001～*.003 の ３ です [OK/Cancel] ")) << carver.Err();
        carver.Send("ok");
        ASSERT_TRUE(carver.WaitFor(Question(1))) << carver.Err();
        carver.Send("ok");
        for (int k = 2; k <= 3; ++k) {
            ASSERT_TRUE(carver.WaitFor(Question(k))) << carver.Err();
            const std::string last = "DISK" + std::to_string(k - 1);
            ASSERT_TRUE(volumes.Unmount(last, last)) << "the split holds something open on disk " << k - 1;
            const std::string next = volumes.Mount("DISK" + std::to_string(k));
            carver.Send("ok");
            ASSERT_TRUE(carver.WaitFor("disk found at " + next + "/films/\n")) << carver.Err();
        }
        EXPECT_EQ(carver.Wait(), 0) << carver.Err();
        ASSERT_TRUE(volumes.Unmount("DISK3", "DISK3"));
    }
    EXPECT_EQ(volumes.Shelved("DISK1"), (std::vector<std::string>{"data.000", "data.001"}));
    EXPECT_EQ(volumes.Shelved("DISK2"), (std::vector<std::string>{"data.002"}));
    EXPECT_EQ(volumes.Shelved("DISK3"), (std::vector<std::string>{"data.003"}));

    // The join, with each disk mounted somewhere else than where it was written.
    const std::string first = volumes.Mount("A", "DISK1");
    ChildProcess mender(MENDER_CLI, {"--removable", "-d", first + "/films/data.000", dir / "out"});
    ASSERT_TRUE(mender.WaitFor("ﾌｧｲﾙの連結を行います [OK/Cancel] ")) << mender.Err();
    mender.Send("ok");
    const char* places[] = {"", "A", "B", "C"};
    for (int k = 2; k <= 3; ++k) {
        ASSERT_TRUE(mender.WaitFor(Question(k))) << mender.Err();
        EXPECT_TRUE(fs::is_empty(dir / ("media/" + std::string(places[k - 1]) + "/films"))) << "-d deletes as it goes";
        ASSERT_TRUE(volumes.Unmount(places[k - 1])) << "the join holds something open on disk " << k - 1;
        const std::string next = volumes.Mount(places[k], "DISK" + std::to_string(k));
        mender.Send("ok");
        ASSERT_TRUE(mender.WaitFor("disk found at " + next + "/films/\n")) << mender.Err();
    }
    EXPECT_EQ(mender.Wait(), 0) << mender.Err();
    EXPECT_EQ(ReadBytes(dir / "out/data.bin"), data);
}
