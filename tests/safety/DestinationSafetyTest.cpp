// Files that already sit at the destination, two runs at once, special files
// in every role, and refusals that must leave nothing behind.
#include <gtest/gtest.h>

#include <map>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "SafetyTestSupport.h"

namespace fs = std::filesystem;

namespace {

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The first block device in /dev, or nothing.
std::string AnyBlockDevice()
{
    for (const auto& e : fs::directory_iterator("/dev"))
        if (e.is_block_file()) return e.path().string();
    return {};
}

}  // namespace

TEST(Destination, AnExistingRebuiltFileIsAskedAboutAndKeptUntilTheJoinCanStart)
{
    TempFolder dir;
    const std::string data = MakeSplitSet(dir, "m.bin", 250'000);
    fs::create_directory(dir / "out");
    WriteBytes(dir / "out/m.bin", "precious");

    // Piece 1 missing: the missing path is named, the question answered by the
    // end of input, and the old file is untouched.
    fs::rename(dir / "set/m.001", dir / "m.001");
    Outcome o = RunCli(kMender, {"-y", dir / "set/m.000", dir / "out"});
    EXPECT_EQ(o.status, 1);
    EXPECT_TRUE(Contains(o.err, "mender-cli: " + dir / "set/m.001: 見つかりません\nﾃﾞｨｽｸが違います")) << o.err;
    EXPECT_EQ(ReadBytes(dir / "out/m.bin"), "precious");
    fs::rename(dir / "m.001", dir / "set/m.001");

    // The overwrite question: the end of input (and -y) is No.
    o = RunCli(kMender, {"-y", dir / "set/m.000", dir / "out"});
    EXPECT_EQ(o.status, 1);
    EXPECT_TRUE(Contains(o.err, "「m.bin」は既に存在します　上書きしますか [はい/いいえ]")) << o.err;
    EXPECT_EQ(ReadBytes(dir / "out/m.bin"), "precious");

    o = RunCli(kMender, {"-y", "--force", dir / "set/m.000", dir / "out"});
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(ReadBytes(dir / "out/m.bin"), data);
}

TEST(Destination, ExistingSetsAndFilesAreReplacedOnlyWhenAgreed)
{
    TempFolder dir;
    MakeSplitSet(dir, "a.bin", 250'000);
    std::map<std::string, std::string> before;
    for (const std::string& name : NamesIn(dir / "set")) before[name] = ReadBytes(dir / ("set/" + name));

    const std::string text = PatternBytes(150'000, 9);
    WriteBytes(dir / "a.txt", text);
    Outcome o = RunCli(kCarver, {"-y", "-s", "100KB", dir / "a.txt", dir / "set"});
    EXPECT_EQ(o.status, 1);
    EXPECT_TRUE(Contains(o.err, "分割先に「a.000」があります　上書きしますか [はい/いいえ]")) << o.err;
    for (const auto& [name, bytes] : before) EXPECT_EQ(ReadBytes(dir / ("set/" + name)), bytes) << name;

    // A user's own file of a piece's name is asked about too.
    fs::create_directory(dir / "own");
    WriteBytes(dir / "own/a.002", "mine");
    o = RunCli(kCarver, {"-y", "-s", "100KB", dir / "a.txt", dir / "own"});
    EXPECT_EQ(o.status, 1);
    EXPECT_TRUE(Contains(o.err, "分割先に「a.002」があります")) << o.err;
    EXPECT_EQ(NamesIn(dir / "own"), std::vector<std::string>{"a.002"});
    EXPECT_EQ(ReadBytes(dir / "own/a.002"), "mine");

    o = RunCli(kCarver, {"-y", "--force", "-s", "100KB", dir / "a.txt", dir / "set"});
    EXPECT_EQ(o.status, 0) << o.err;
    o = RunCli(kMender, {"-y", dir / "set/a.000", dir / "joined"});
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(ReadBytes(dir / "joined/a.txt"), text);
}

TEST(Destination, ASecondRunOnTheSameOutputOrSetStopsBeforeItChangesAnything)
{
    TempFolder dir;
    const std::string data = MakeSplitSet(dir, "m.bin", 250'000);
    fs::rename(dir / "set/m.003", dir / "m.003");
    // The first join holds its output and its set while it waits for piece 3.
    ChildProcess first(kMender, {"-d", "-y", dir / "set/m.000", dir / "out"});
    ASSERT_TRUE(first.WaitFor("ﾃﾞｨｽｸが違います")) << first.Err();

    {
        TempFolder other;
        MakeSplitSet(other, "m.bin", 5'000, 100, 2);
        const Outcome o = RunCli(kMender, {"-y", "-d", "--force", other / "set/m.000", dir / "out"});
        EXPECT_EQ(o.status, 2);
        EXPECT_TRUE(Contains(o.err, kInUse)) << o.err;
        EXPECT_TRUE(fs::exists(other / "set/m.001")) << "the second join deleted nothing";
    }
    {
        // A split writing the same set, and a second join of it.
        WriteBytes(dir / "m.txt", PatternBytes(10'000, 3));
        Outcome o = RunCli(kCarver, {"-y", "--force", dir / "m.txt", dir / "set"});
        EXPECT_EQ(o.status, 2);
        EXPECT_TRUE(Contains(o.err, kInUse)) << o.err;
        o = RunCli(kMender, {"-y", "--force", dir / "set/m.000", dir / "out2"});
        EXPECT_EQ(o.status, 2);
        EXPECT_TRUE(Contains(o.err, kInUse)) << o.err;
    }

    fs::rename(dir / "m.003", dir / "set/m.003");
    first.Send("OK");
    EXPECT_EQ(first.Wait(), 0) << first.Err();
    EXPECT_EQ(ReadBytes(dir / "out/m.bin"), data);
    EXPECT_TRUE(NamesIn(dir / "set").empty());
}

TEST(Destination, ASecondJoinOfANumberedSetStopsBeforeItChangesAnything)
{
    TempFolder dir;
    fs::create_directories(dir / "in");
    WriteBytes(dir / "in/x.bin.001", PatternBytes(5'000, 1));
    WriteBytes(dir / "in/x.bin.002", PatternBytes(5'000, 2));
    // The first join holds the set while it asks about an old rebuilt file.
    fs::create_directories(dir / "out1");
    WriteBytes(dir / "out1/x.bin", "old");
    ChildProcess first(kMender, {"-d", dir / "in/x.bin.001", dir / "out1"});
    ASSERT_TRUE(first.WaitFor("[OK/キャンセル] ")) << first.Err();
    first.Send("ok");
    ASSERT_TRUE(first.WaitFor("上書きしますか")) << first.Err();

    const Outcome o = RunCli(kMender, {"-y", "-d", dir / "in/x.bin.001", dir / "out2"});
    EXPECT_EQ(o.status, 2);
    EXPECT_TRUE(Contains(o.err, kInUse)) << o.err;
    EXPECT_EQ(NamesIn(dir / "in"), (std::vector<std::string>{"x.bin.001", "x.bin.002"}));

    first.Send("y");
    EXPECT_EQ(first.Wait(), 0) << first.Err();
    EXPECT_EQ(ReadBytes(dir / "out1/x.bin"), PatternBytes(5'000, 1) + PatternBytes(5'000, 2));
}

TEST(Destination, DeleteAsYouGoDeletesOnlyTheSetGiven)
{
    TempFolder dir;
    const std::string data = MakeSplitSet(dir, "d.bin", 250'000);
    fs::copy_file(dir / "set/d.000", dir / "set/x.000");
    WriteBytes(dir / "set/x.bat", "rem");
    const Outcome o = RunCli(kMender, {"-y", "-d", dir / "set/x.000", dir / "out"});
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(ReadBytes(dir / "out/d.bin"), data);
    EXPECT_EQ(NamesIn(dir / "set"), (std::vector<std::string>{"d.000", "d.sha256"})) << "the unrelated set's files stay";
}

TEST(Destination, SpecialFilesAreRefusedWithoutHangingAndNothingIsWritten)
{
    TempFolder dir;
    const std::string data = MakeSplitSet(dir, "m.bin", 250'000);
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0644), 0);
    ASSERT_EQ(::symlink("/dev/null", (dir / "device").c_str()), 0);
    WriteBytes(dir / "empty", "");
    fs::create_directory(dir / "dest");

    struct SourceCase {
        std::string source, description;
    };
    std::vector<SourceCase> sources = {{dir / "fifo", kNotRegular},       {"/dev/null", kNotRegular},
                                       {"/dev/zero", kNotRegular},        {dir / "device", kNotRegular},
                                       {"/proc/self/status", "ﾌｧｲﾙが空です"}, {dir / "empty", "ﾌｧｲﾙが空です"}};
    if (const std::string block = AnyBlockDevice(); !block.empty()) sources.push_back({block, kNotRegular});
    for (const auto& c : sources) {
        const Outcome o = RunCli(kCarver, {"-y", c.source, dir / "dest"});
        EXPECT_EQ(o.status, 2) << c.source;
        EXPECT_TRUE(Contains(o.err, c.description)) << c.source << ": " << o.err;
        EXPECT_TRUE(NamesIn(dir / "dest").empty()) << c.source;
    }

    // A FIFO or a link to a device where the split would write a piece.
    for (const std::string special : {"fifo", "device"}) {
        const std::string target = dir / ("out-" + special);
        fs::create_directory(target);
        fs::create_symlink(dir / special, target + "/m.002");
        const Outcome o = RunCli(kCarver, {"-y", "--force", "-s", "100KB", dir / "m.bin", target});
        EXPECT_EQ(o.status, 2) << special;
        EXPECT_TRUE(Contains(o.err, kNotRegular)) << o.err;
        EXPECT_EQ(NamesIn(target), std::vector<std::string>{"m.002"}) << special;
    }

    // The joiner: a FIFO as the join-info file, at a piece's path, at the
    // output path, and a link to a device at the output path.
    const auto join = [&](const std::string& joinInfo, const std::string& out) {
        return RunCli(kMender, {"-y", "--force", joinInfo, out});
    };
    Outcome o = join(dir / "fifo", dir / "j1");
    EXPECT_EQ(o.status, 2);
    EXPECT_TRUE(Contains(o.err, kNotRegular)) << o.err;
    for (const std::string special : {"fifo", "device"}) {
        const std::string out = dir / ("j-" + special);
        fs::create_directory(out);
        fs::create_symlink(dir / special, out + "/m.bin");
        o = join(dir / "set/m.000", out);
        EXPECT_EQ(o.status, 2) << special;
        EXPECT_TRUE(Contains(o.err, kNotRegular)) << o.err;
    }
    fs::rename(dir / "set/m.002", dir / "m.002");
    fs::create_symlink(dir / "fifo", dir / "set/m.002");
    o = join(dir / "set/m.000", dir / "j2");
    EXPECT_EQ(o.status, 2);
    EXPECT_TRUE(Contains(o.err, kNotRegular)) << o.err;
    EXPECT_TRUE(fs::exists(dir / "set/m.001"));
}

TEST(Destination, RefusalsAreFailuresThatLeaveNothingBehind)
{
    TempFolder dir;
    struct Case {
        std::string name;
        std::vector<std::string> options;
    };
    for (const Case& c : {Case{"line\nfeed.bin", {}}, Case{"line\nfeed.bin", {"-b"}}, Case{"say \"hi\".bin", {"-b"}}}) {
        WriteBytes(dir / c.name, PatternBytes(5000));
        const std::string dest = dir / "dest";
        fs::create_directory(dest);
        std::vector<std::string> args = c.options;
        args.insert(args.end(), {"-y", dir / c.name, dest});
        const Outcome o = RunCli(kCarver, args);
        EXPECT_EQ(o.status, 2) << c.name;
        EXPECT_TRUE(NamesIn(dest).empty()) << c.name;
        fs::remove(dir / c.name);
    }
}
