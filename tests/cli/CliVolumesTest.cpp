// Both command-line programs disk by disk across real volumes: each disk a
// tmpfs mounted at a path of its own, as the desktop mounts each stick under
// its label. Needs root; skipped otherwise.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sched.h>
#include <set>
#include <tuple>
#include <sys/mount.h>
#include <unistd.h>

#include "ChildProcess.h"
#include "TempFolder.h"
#include "ToolRun.h"

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
        for (const std::string& loop : loops_) RunProgram("/sbin/losetup", {"-d", loop}, "");
    }

    // Why no volume can be mounted here; empty when one can.
    std::string CannotMount()
    {
        if (::geteuid() != 0) return "mounting volumes needs root";
        // Keep the test's mounts out of the rest of the machine where possible.
        if (::unshare(CLONE_NEWNS) == 0) private_ = ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
        if (Mount("probe").empty()) return std::string("mount -t tmpfs fails here: ") + std::strerror(errno);
        return Unmount("probe") ? std::string() : "a tmpfs cannot be unmounted here";
    }

    // A fresh volume holding the shelved disk (or an empty films/); its folder.
    std::string Mount(const std::string& name, const std::string& disk = {}, const std::string& size = "8m")
    {
        const std::string at = folder_ + "media/" + name;
        fs::create_directories(at);
        if (::mount("tmpfs", at.c_str(), "tmpfs", 0, ("size=" + size).c_str()) != 0) return {};
        mounted_.insert(at);
        if (disk.empty())
            fs::create_directory(at + "/films");
        else
            fs::copy(folder_ + "shelf/" + disk, at, fs::copy_options::recursive);
        return at + "/films/";
    }

    // A small ext4 volume on a loop device (a block device the system does
    // not run from), filled up to `room` bytes free; the device, or empty.
    std::string MountFullLoopVolume(const std::string& name, uintmax_t room)
    {
        const std::string image = folder_ + name + ".img", at = folder_ + "media/" + name;
        fs::create_directories(at);
        std::string device;
        if (RunProgram("/bin/sh", {"-c", "truncate -s 4M '" + image + "' && mkfs.ext4 -q -m 0 '" + image +
                                             "' && losetup --find --show '" + image + "' >&2"},
                       "", &device) != 0)
            return {};
        device = device.substr(0, device.find('\n'));
        loops_.push_back(device);
        if (::mount(device.c_str(), at.c_str(), "ext4", 0, nullptr) != 0) return {};
        mounted_.insert(at);
        const uintmax_t available = fs::space(at).available;
        if (available > room) WriteBytes(at + "/filler", std::string(available - room, 'f'));
        return device;
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

    // The test's mounts are seen by no other process.
    bool Private() const { return private_; }

    // A 64 MiB FAT32 volume made from an image at media/NAME; its folder, or
    // empty with the reason in whyNot.
    std::string MountFat(const std::string& name, std::string& whyNot)
    {
        const std::string image = folder_ + name + ".img", at = folder_ + "media/" + name;
        fs::create_directories(at);
        std::ofstream(image).close();
        fs::resize_file(image, 64 << 20);
        const std::string tools = "PATH=$PATH:/sbin:/usr/sbin; ";
        if (std::system((tools + "command -v mkfs.vfat >/dev/null").c_str()) != 0) {
            whyNot = "mkfs.vfat is not installed";
            return {};
        }
        if (std::system((tools + "mkfs.vfat -F 32 '" + image + "' >/dev/null").c_str()) != 0 ||
            std::system((tools + "mount -o loop '" + image + "' '" + at + "' 2>/dev/null").c_str()) != 0) {
            whyNot = "a FAT32 image cannot be mounted here (no loop device, or no vfat in the kernel)";
            return {};
        }
        mounted_.insert(at);
        return at + "/";
    }

private:
    const std::string folder_;
    std::set<std::string> mounted_;
    std::vector<std::string> loops_;
    bool private_ = false;
};

std::string DiskQuestion(int k)
{
    const char* digits[] = {"", "１", "２ ", "３ ", "４ "};
    return std::string(digits[k]) + "枚目のﾃﾞｨｽｸをｾｯﾄして下さい [OK/キャンセル] ";
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
    ASSERT_TRUE(carver.WaitFor("分割数は *.001～*.003 の ３ です [OK/キャンセル] ")) << carver.Err();
    carver.Send("ok");
    ASSERT_TRUE(carver.WaitFor(DiskQuestion(1))) << carver.Err();
    carver.Send("ok");
    for (int k = 2; k <= 3; ++k) {
        ASSERT_TRUE(carver.WaitFor(DiskQuestion(k))) << carver.Err();
        const std::string last = "DISK" + std::to_string(k - 1);
        ASSERT_TRUE(volumes.Unmount(last, last)) << "the split holds something open on " << last;
        const std::string folder = volumes.Mount("DISK" + std::to_string(k));
        carver.Send("ok");
        ASSERT_TRUE(carver.WaitFor("ﾃﾞｨｽｸは " + folder + " にあります\n")) << carver.Err();
    }
    EXPECT_EQ(carver.Wait(), 0) << carver.Err();
    ASSERT_TRUE(volumes.Unmount("DISK3", "DISK3"));

    // The join, each disk mounted somewhere else than where it was written;
    // a piece on the wrong disk would bring the wrong-disk question instead.
    const std::string places[] = {"", "A", "B", "C"};
    const std::string first = volumes.Mount("A", "DISK1");
    ChildProcess mender(MENDER_CLI, {"--removable", "-d", first + "data.000", dir / "out"});
    ASSERT_TRUE(mender.WaitFor("ﾌｧｲﾙの連結を行います [OK/キャンセル] ")) << mender.Err();
    mender.Send("ok");
    for (int k = 2; k <= 3; ++k) {
        ASSERT_TRUE(mender.WaitFor(DiskQuestion(k))) << mender.Err();
        // -d deletes as it goes; the first disk keeps the set's description
        // until the join is over.
        std::set<std::string> left;
        for (const auto& e : fs::directory_iterator(dir / ("media/" + places[k - 1] + "/films")))
            left.insert(e.path().filename().string());
        const std::set<std::string> description{"data.000", "data.sha256"};
        EXPECT_EQ(left, k == 2 ? description : std::set<std::string>());
        ASSERT_TRUE(volumes.Unmount(places[k - 1])) << "the join holds something open on " << places[k - 1];
        const std::string folder = volumes.Mount(places[k], "DISK" + std::to_string(k));
        mender.Send("ok");
        ASSERT_TRUE(mender.WaitFor("ﾃﾞｨｽｸは " + folder + " にあります\n")) << mender.Err();
    }
    EXPECT_EQ(mender.Wait(), 0) << mender.Err();
    EXPECT_NE(mender.Err().find("data.000: １枚目のﾃﾞｨｽｸがﾄﾞﾗｲﾌﾞにないので残しました"), std::string::npos)
        << mender.Err();
    EXPECT_EQ(ReadBytes(dir / "out/data.bin"), data);
}

// A volume mounted at the destination's own path only when the first disk is
// asked for: that volume is disk 1, and the split goes on disk by disk.
TEST(CliVolumes, ADiskMountedAtTheDestinationAfterTheFirstQuestionIsDiskOne)
{
    TempFolder dir;
    Volumes volumes(dir.Path());
    if (const std::string reason = volumes.CannotMount(); !reason.empty()) GTEST_SKIP() << reason;
    WriteBytes(dir / "data.bin", PatternBytes(250'000, 4));
    const std::string destination = dir / "media/NEW/films";
    ChildProcess carver(CARVER_CLI, {"--removable", "-s", "100KB", dir / "data.bin", destination});
    ASSERT_TRUE(carver.WaitFor("分割数は *.001～*.003 の ３ です [OK/キャンセル] ")) << carver.Err();
    carver.Send("ok");
    for (int k = 1; k <= 3; ++k) {
        ASSERT_TRUE(carver.WaitFor(DiskQuestion(k))) << carver.Err();
        if (k > 1) {
            ASSERT_TRUE(volumes.Unmount("NEW", "NEW" + std::to_string(k - 1)));
        }
        ASSERT_EQ(volumes.Mount("NEW"), destination + "/");
        carver.ForgetOutput();
        carver.Send("ok");
    }
    EXPECT_EQ(carver.Wait(), 0) << carver.Err();
    EXPECT_EQ(carver.Err().find("ﾃﾞｨｽｸが抜かれました"), std::string::npos) << carver.Err();
    ASSERT_TRUE(volumes.Unmount("NEW", "NEW3"));
    for (int k = 1; k <= 3; ++k)
        EXPECT_TRUE(fs::exists(dir / ("shelf/NEW" + std::to_string(k) + "/films/data.00" + std::to_string(k)))) << k;
}

// A full disk: No formats a removable one that holds neither the system nor
// the source, through the desktop's utility (here a stand-in on PATH that
// records its arguments); every other disk gets the message that formatting
// is not available, and the question again. The line before the question says
// how much room there is and how much the piece needs.
TEST(CliVolumes, OnlyARemovableDiskWithoutTheSystemOrTheSourceIsFormatted)
{
    TempFolder dir;
    Volumes volumes(dir.Path());
    if (const std::string reason = volumes.CannotMount(); !reason.empty()) GTEST_SKIP() << reason;
    const std::string device = volumes.MountFullLoopVolume("FULL", 20'000);
    if (device.empty()) GTEST_SKIP() << "no loop device with ext4 can be mounted here";
    fs::create_directories(dir / "bin");
    WriteBytes(dir / "bin/gnome-disks", "#!/bin/sh\necho \"$@\" >> '" + dir / "formatter-calls" + "'\n");
    fs::permissions(dir / "bin/gnome-disks", fs::perms::owner_all);
    WriteBytes(dir / "data.bin", PatternBytes(250'000, 5));
    WriteBytes(dir / "media/FULL/inside.bin", PatternBytes(15'000, 5));

    struct Case {
        std::string kind, source;
        bool formatterStarted;
    };
    const Case cases[] = {
        {"--removable", dir / "data.bin", true},
        {"--fixed", dir / "data.bin", false},
        {"--removable", dir / "media/FULL/inside.bin", false},  // the source's own disk
        {"--removable", dir / "data.bin", false},               // the disk that holds /home (below)
    };
    int run = 0;
    for (const Case& c : cases) {
        if (++run == 4) {
            // Mounted at /home as well, in this test's own mount namespace only.
            if (!volumes.Private()) break;
            ASSERT_EQ(::mount(device.c_str(), "/home", "ext4", 0, nullptr), 0) << std::strerror(errno);
        }
        const std::string folder = dir / "media/FULL";
        fs::remove(dir / "formatter-calls");
        const std::string script = "PATH='" + dir / "bin" + "':$PATH exec \"$@\"";
        std::string err;
        const int status = RunProgram("/bin/sh", {"-c", script, "sh", CARVER_CLI, c.kind, "-s", "100KB",
                                                  c.source, folder},
                                      "ok\nok\nn\nok\nc\n", &err);
        if (run == 4) ::umount2("/home", MNT_DETACH);
        EXPECT_EQ(status, 1) << c.kind << " " << c.source << "\n" << err;
        EXPECT_NE(err.find(" ﾊﾞｲﾄ必要です\nディスクに空き容量がない"), std::string::npos) << err;
        // 100KB at most: 24 blocks, and on a removable disk two more kept for the manifest.
        EXPECT_NE(err.find(c.kind == "--fixed" ? "分割ﾌｧｲﾙには 98304 ﾊﾞｲﾄ" : "分割ﾌｧｲﾙには 106496 ﾊﾞｲﾄ"),
                  std::string::npos) << err;
        if (c.formatterStarted) {
            EXPECT_EQ(ReadBytes(dir / "formatter-calls"), "--block-device " + device + " --format-device\n");
        } else {
            EXPECT_FALSE(fs::exists(dir / "formatter-calls")) << c.kind << " " << c.source;
            EXPECT_NE(err.find("ﾃﾞｨｽｸの初期化はこの環境では行えません"), std::string::npos) << err;
        }
    }
}

// Without a mount table (no /proc, as in a bare chroot) the destination is a
// fixed drive measured by its folder, and both programs work.
TEST(CliVolumes, WithoutAMountTableTheDestinationIsAFixedDrive)
{
    TempFolder dir;
    // Runs a program in a mount namespace of its own with /proc hidden; its exit status.
    auto WithoutProc = [](const std::vector<std::string>& command, std::string* err) {
        std::vector<std::string> args{"--mount", "--propagation", "private", "/bin/sh", "-c",
                                      "mount -t tmpfs none /proc && exec \"$@\"", "sh"};
        args.insert(args.end(), command.begin(), command.end());
        const int status = RunProgram("/usr/bin/unshare", args, "", err);
        // A sanitizer build cannot check for leaks at exit without /proc (nor
        // read its options to be told not to): that status is not the program's,
        // whatever the leak checker then reports; a real memory error still counts.
        return err && err->find("Sanitizer") != std::string::npos && err->find("ERROR: AddressSanitizer") == std::string::npos
                   ? 0
                   : status;
    };
    if (WithoutProc({"/bin/true"}, nullptr) != 0)
        GTEST_SKIP() << "no private mount namespace with /proc hidden can be made here (needs root)";
    const std::string data = PatternBytes(250'000, 6);
    WriteBytes(dir / "data.bin", data);
    fs::create_directories(dir / "set");
    std::string err;
    EXPECT_EQ(WithoutProc({CARVER_CLI, "-y", "-s", "100KB", dir / "data.bin", dir / "set"}, &err), 0) << err;
    EXPECT_EQ(err.find("ディスクに空き容量がない"), std::string::npos) << err;
    EXPECT_EQ(WithoutProc({MENDER_CLI, "-y", dir / "set/data.000", dir / "out"}, &err), 0) << err;
    EXPECT_EQ(ReadBytes(dir / "out/data.bin"), data);
}

// FAT32 holds files up to 4 GiB less one byte: a 4G piece is refused before
// anything is written, naming the folder and the size it takes, while the
// largest whole-block size FAT32 holds passes (and meets the disk-space
// question: the volume is small).
TEST(CliVolumes, PiecesTooLargeForFat32AreRefusedBeforeWriting)
{
    TempFolder dir;
    Volumes volumes(dir.Path());
    if (const std::string reason = volumes.CannotMount(); !reason.empty()) GTEST_SKIP() << reason;
    std::string whyNot;
    const std::string fat = volumes.MountFat("FAT", whyNot);
    if (fat.empty()) GTEST_SKIP() << whyNot;
    const std::string source = dir / "big.bin";
    std::ofstream(source).close();
    fs::resize_file(source, (uintmax_t(4) << 30) + 1);  // a hole: nothing to write

    const std::string limit = fat + ": ﾌｧｲﾙ分割失敗 原因を調査後再度実行して下さい: このﾌｫﾙﾀﾞに置けるﾌｧｲﾙは 4294967295 ﾊﾞｲﾄまでです";
    const std::tuple<std::string, int, std::string> cases[] = {
        {"4G", 2, limit},
        {"fat32", 1, "ディスクに空き容量がないかディスクの準備ができていません"},
    };
    for (const auto& [size, status, text] : cases) {
        std::string err;
        EXPECT_EQ(RunProgram(CARVER_CLI, {"-y", "--fixed", "-s", size, source, fat}, "", &err), status) << err;
        EXPECT_NE(err.find(text), std::string::npos) << size << ": " << err;
        EXPECT_TRUE(fs::is_empty(fat)) << size;
    }
}

// -r on a removable drive: every disk with a piece also gets the index, and
// the volumes follow the last piece, one recovery slice each, on the room
// left on its disk and then on further disks asked for by number. Gathered
// in one folder, the disks' files are a recovery set par2 checks and repairs.
TEST(CliVolumes, RecoveryDataGoesOnEveryDiskAndItsVolumesAfterTheLastPiece)
{
    TempFolder dir;
    Volumes volumes(dir.Path());
    if (const std::string reason = volumes.CannotMount(); !reason.empty()) GTEST_SKIP() << reason;
    const std::string data = PatternBytes(250'000, 11);
    WriteBytes(dir / "data.bin", data);
    // Disks of 240 KiB: a piece and its files, or two volumes, or the last piece and one volume.
    const std::string disk1 = volumes.Mount("DISK1", {}, "240k");
    ChildProcess carver(CARVER_CLI, {"--removable", "-s", "100KB", "-r", "3", dir / "data.bin", disk1});
    ASSERT_TRUE(carver.WaitFor("分割数は *.001～*.003 の ３ です [OK/キャンセル] ")) << carver.Err();
    carver.Send("ok");
    ASSERT_TRUE(carver.WaitFor(DiskQuestion(1))) << carver.Err();
    carver.Send("ok");
    for (int k = 2; k <= 4; ++k) {
        ASSERT_TRUE(carver.WaitFor(DiskQuestion(k))) << carver.Err();
        const std::string last = "DISK" + std::to_string(k - 1);
        ASSERT_TRUE(volumes.Unmount(last, last)) << "the split holds something open on " << last;
        volumes.Mount("DISK" + std::to_string(k), {}, "240k");
        carver.Send("ok");
    }
    EXPECT_EQ(carver.Wait(), 0) << carver.Err();
    ASSERT_TRUE(volumes.Unmount("DISK4", "DISK4"));

    const std::set<std::string> expected[] = {
        {"data.000", "data.001", "data.par2", "data.sha256"},
        {"data.002", "data.par2", "data.sha256"},
        {"data.003", "data.par2", "data.sha256", "data.vol0+1.par2"},
        {"data.par2", "data.vol1+1.par2", "data.vol2+1.par2"},
    };
    fs::create_directory(dir / "all");
    for (int k = 1; k <= 4; ++k) {
        const std::string folder = dir / ("shelf/DISK" + std::to_string(k) + "/films/");
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
        EXPECT_EQ(names, expected[k - 1]) << "disk " << k;
        EXPECT_EQ(ReadBytes(folder + "data.par2"), ReadBytes(dir / "shelf/DISK1/films/data.par2")) << "disk " << k;
        for (const std::string& name : names)
            fs::copy_file(folder + name, dir / ("all/" + name), fs::copy_options::overwrite_existing);
    }
    const ToolResult verified = RunInFolder(dir / "all", {"par2", "verify", "-q", "data.par2"});
    EXPECT_EQ(verified.status, 0) << verified.output;
    fs::remove(dir / "all/data.002");
    fs::remove(dir / "all/data.003");
    const ToolResult repaired = RunInFolder(dir / "all", {"par2", "repair", "-q", "data.par2"});
    EXPECT_EQ(repaired.status, 0) << repaired.output;
    EXPECT_EQ(ReadBytes(dir / "all/data.001") + ReadBytes(dir / "all/data.002") + ReadBytes(dir / "all/data.003"), data);
}
