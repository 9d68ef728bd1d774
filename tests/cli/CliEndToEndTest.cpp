#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sstream>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

#include "ChildProcess.h"
#include "Sha256SumCheck.h"
#include "TempFolder.h"

namespace fs = std::filesystem;

namespace {

const std::string kCarver = CARVER_CLI;
const std::string kMender = MENDER_CLI;
const std::string kSplitFailed = "ﾌｧｲﾙ分割失敗 原因を調査後再度実行して下さい";
const std::string kJoinFailed = "ﾌｧｲﾙ連結失敗　原因を調査後再度実行してください";

std::vector<std::string> Names(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

void MoveAll(const std::string& from, const std::string& to)
{
    fs::create_directories(to);
    for (const auto& e : fs::directory_iterator(from))
        if (e.is_regular_file()) fs::rename(e.path(), fs::path(to) / e.path().filename());
}

}  // namespace

TEST(CliEndToEnd, SplitAndJoinRoundTripByteForByte)
{
    for (const std::string name : {"movie.avi", "動画 ﾌｧｲﾙ.tar.gz", "café.bin", "README", "第1話〜最終話.avi",
                                   "price¥100.txt", "¢£¬—‖‾−.bin"}) {
        TempFolder dir;
        const std::string data = PatternBytes(3'000'000, 7);
        WriteBytes(dir / name, data);
        fs::create_directory(dir / "set");
        std::string err;
        ASSERT_EQ(RunProgram(kCarver, {"-y", "-b", "-m", "--no-checksum", dir / name, dir / "set"}, "", &err), 0)
            << err;
        const std::string base = name.substr(0, name.find('.'));
        EXPECT_EQ(Names(dir / "set"), (std::vector<std::string>{base + ".000", base + ".001", base + ".002",
                                                                base + ".003", base + ".bat"}));
        EXPECT_EQ(fs::file_size(dir / ("set/" + base + ".001")), 1417216u);

        ASSERT_EQ(RunProgram(kMender, {"-y", "-d", dir / ("set/" + base + ".000"), dir / "joined"}, "", &err), 0)
            << err;
        EXPECT_EQ(ReadBytes(dir / ("joined/" + name)), data) << name;
        EXPECT_TRUE(Names(dir / "set").empty()) << "delete-as-you-go leaves nothing of the set";
    }
}

TEST(CliEndToEnd, ExitStatusesOfCarver)
{
    TempFolder dir;
    WriteBytes(dir / "src.bin", PatternBytes(10000));
    fs::create_directory(dir / "out");
    std::string err;
    // Declined at the confirmation: nothing written.
    EXPECT_EQ(RunProgram(kCarver, {"-s", "4096", dir / "src.bin", dir / "out"}, "cancel", &err), 1);
    EXPECT_NE(err.find("分割数は *.001～*.003 の ３ です [OK/キャンセル]"), std::string::npos) << err;
    EXPECT_TRUE(Names(dir / "out").empty());
    // End of input is Cancel.
    EXPECT_EQ(RunProgram(kCarver, {dir / "src.bin", dir / "out"}, "", &err), 1);
    EXPECT_TRUE(Names(dir / "out").empty());
    // Failed: a missing source, before any question.
    EXPECT_EQ(RunProgram(kCarver, {dir / "missing.bin", dir / "out"}, "ok", &err), 2);
    EXPECT_NE(err.find(": " + kSplitFailed + ": "), std::string::npos) << err;
    EXPECT_EQ(err.find("分割数は"), std::string::npos) << err;
    // A missing destination folder.
    EXPECT_EQ(RunProgram(kCarver, {"-y", dir / "src.bin", dir / "nowhere"}, "", &err), 2);
    EXPECT_NE(err.find(kSplitFailed), std::string::npos);
    // Completed.
    EXPECT_EQ(RunProgram(kCarver, {"-s", "4096", dir / "src.bin", dir / "out"}, "y", &err), 0) << err;
    EXPECT_EQ(Names(dir / "out").size(), 5u) << "the join-info file, three pieces, the manifest";
    // Usage errors, with a reason and the usage.
    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
             {"-s", "0", "a", "b"}, {"-s", "-5", "a", "b"}, {"-s", "abc", "a", "b"}, {"-s", "1.5M", "a", "b"},
             {"a"}, {"--bogus", "a", "b"}, {"-y", dir / "src.bin", ""}, {"-y", "", dir / "out"},
             {"-y", dir / "src.bin", " \t"}}) {
        EXPECT_EQ(RunProgram(kCarver, bad, "", &err), 64);
        EXPECT_EQ(err.rfind("carver-cli: ", 0), 0u) << err;
        EXPECT_NE(err.find("使い方: carver-cli"), std::string::npos);
    }
    EXPECT_EQ(RunProgram(kCarver, {"--help"}, "", &err), 0);
}

TEST(CliEndToEnd, ExitStatusesOfMender)
{
    TempFolder dir;
    WriteBytes(dir / "src.bin", PatternBytes(10000));
    std::string err;
    ASSERT_EQ(RunProgram(kCarver, {"-y", "-s", "4096", dir / "src.bin", dir.Path()}, "", &err), 0) << err;
    EXPECT_EQ(RunProgram(kMender, {dir / "src.000", dir / "out"}, "c", &err), 1);
    EXPECT_NE(err.find("ﾌｧｲﾙの連結を行います [OK/キャンセル]"), std::string::npos) << err;
    EXPECT_FALSE(fs::exists(dir / "out")) << "cancelled at the first question: nothing touched";
    EXPECT_EQ(RunProgram(kMender, {dir / "missing.000", dir / "out"}, "ok", &err), 2);
    EXPECT_NE(err.find(": " + kJoinFailed + ": "), std::string::npos) << err;
    EXPECT_EQ(err.find("[OK/キャンセル]"), std::string::npos) << "failed before any question: " << err;
    for (const std::vector<std::string>& empty : std::vector<std::vector<std::string>>{
             {"-y", dir / "src.000", ""}, {"-y", "", dir / "out"}, {"-y", "  ", dir / "out"}}) {
        EXPECT_EQ(RunProgram(kMender, empty, "", &err), 64);
        EXPECT_NE(err.find(" が空です"), std::string::npos) << err;
    }
    EXPECT_FALSE(fs::exists(dir / "out")) << "a usage error writes nothing";
    // A missing piece: the wrong-disk question is still asked with --yes; Cancel gives up.
    fs::remove(dir / "src.002");
    EXPECT_EQ(RunProgram(kMender, {"-y", dir / "src.000", dir / "out"}, "c", &err), 1);
    EXPECT_NE(err.find("ﾃﾞｨｽｸが違います　２ 番のﾃﾞｨｽｸをｾｯﾄして下さい\nsrc.002 [OK/キャンセル]"), std::string::npos) << err;
    EXPECT_EQ(RunProgram(kMender, {"only-one"}, "", &err), 64);
    EXPECT_NE(err.find("使い方: mender-cli"), std::string::npos);
}

// A script's loop reads the lines after the answer: a question takes one
// line of standard input and a run that asks nothing takes none.
TEST(CliEndToEnd, AnswersTakeOneLineOfInputAndNothingMore)
{
    TempFolder dir;
    WriteBytes(dir / "src.bin", PatternBytes(10000));
    const struct {
        std::string options;
        int questions;
    } cases[] = {{"-s 4096", 1}, {"-y -s 4096", 0}, {"-q -y -s 4096", 0}};
    int run = 0;
    for (const auto& c : cases) {
        const std::string out = dir / ("out" + std::to_string(++run));
        fs::create_directory(out);
        // What the program left of the input follows its output on standard error.
        const std::string script = "\"$0\" " + c.options + " \"$1\" \"$2\" && printf 'rest:' >&2 && cat >&2";
        std::string err;
        ASSERT_EQ(RunProgram("/bin/sh", {"-c", script, kCarver, dir / "src.bin", out}, "ok\nsecond\nthird\n", &err), 0)
            << err;
        const std::string left = c.questions == 1 ? "second\nthird\n" : "ok\nsecond\nthird\n";
        EXPECT_NE(err.find("rest:" + left), std::string::npos) << c.options << ": " << err;
    }
}

// By default a split set checks itself with a plain sha256sum -c before the
// join; --no-checksum leaves it out.
TEST(CliEndToEnd, TheSetChecksItselfUnlessToldNot)
{
    TempFolder dir;
    const std::string data = PatternBytes(3'000'000, 9);
    WriteBytes(dir / "動画 ﾌｧｲﾙ.bin", data);
    std::string err;
    fs::create_directory(dir / "set");
    ASSERT_EQ(RunProgram(kCarver, {"-y", dir / "動画 ﾌｧｲﾙ.bin", dir / "set"}, "", &err), 0) << err;
    EXPECT_EQ(Names(dir / "set"), (std::vector<std::string>{"動画 ﾌｧｲﾙ.000", "動画 ﾌｧｲﾙ.001", "動画 ﾌｧｲﾙ.002",
                                                            "動画 ﾌｧｲﾙ.003", "動画 ﾌｧｲﾙ.sha256"}));
    const Sha256SumResult r = RunSha256SumCheck(dir / "set", "動画 ﾌｧｲﾙ.sha256");
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("動画 ﾌｧｲﾙ.003: OK"), std::string::npos) << r.output;

    fs::remove_all(dir / "set");
    fs::create_directory(dir / "set");
    ASSERT_EQ(RunProgram(kCarver, {"-y", "--no-checksum", dir / "動画 ﾌｧｲﾙ.bin", dir / "set"}, "", &err), 0) << err;
    EXPECT_EQ(Names(dir / "set").size(), 4u);
    EXPECT_FALSE(fs::exists(dir / "set/動画 ﾌｧｲﾙ.sha256"));
}

// A removable split answered disk by disk: between the questions the test takes
// the written pieces away, the way a user swaps disks; then a removable join
// gets them back one disk at a time.
TEST(CliEndToEnd, RemovableSplitAndJoinDiskByDisk)
{
    TempFolder dir;
    const std::string data = PatternBytes(250'000, 3);
    WriteBytes(dir / "data.bin", data);
    fs::create_directory(dir / "drive");
    {
        ChildProcess carver(kCarver, {"--removable", "-s", "100KB", dir / "data.bin", dir / "drive"});
        ASSERT_TRUE(carver.WaitFor("分割数は *.001～*.003 の ３ です [OK/キャンセル] ")) << carver.Err();
        carver.Send("ok");
        ASSERT_TRUE(carver.WaitFor("１枚目のﾃﾞｨｽｸをｾｯﾄして下さい [OK/キャンセル] ")) << carver.Err();
        EXPECT_TRUE(Names(dir / "drive").empty());
        carver.Send("");
        for (int disk = 2; disk <= 3; ++disk) {
            const std::string question = (disk == 2 ? "２" : "３") + std::string(" 枚目のﾃﾞｨｽｸをｾｯﾄして下さい [OK/キャンセル] ");
            ASSERT_TRUE(carver.WaitFor(question)) << carver.Err();
            MoveAll(dir / "drive", dir / ("disk" + std::to_string(disk - 1)));
            carver.Send("o");
        }
        EXPECT_EQ(carver.Wait(), 0) << carver.Err();
        MoveAll(dir / "drive", dir / "disk3");
    }
    // Every disk checks itself.
    EXPECT_EQ(Names(dir / "disk1"), (std::vector<std::string>{"data.000", "data.001", "data.sha256"}));
    EXPECT_EQ(Names(dir / "disk2"), (std::vector<std::string>{"data.002", "data.sha256"}));
    EXPECT_EQ(Names(dir / "disk3"), (std::vector<std::string>{"data.003", "data.sha256"}));
    for (const char* disk : {"disk1", "disk2", "disk3"})
        EXPECT_EQ(RunSha256SumCheck(dir / disk, "data.sha256", true).status, 0);

    MoveAll(dir / "disk1", dir / "drive");
    ChildProcess mender(kMender, {"--removable", "-d", dir / "drive/data.000", dir / "out"});
    ASSERT_TRUE(mender.WaitFor("ﾌｧｲﾙの連結を行います [OK/キャンセル] "));
    mender.Send("ok");
    ASSERT_TRUE(mender.WaitFor("２ 枚目のﾃﾞｨｽｸをｾｯﾄして下さい [OK/キャンセル] ")) << mender.Err();
    mender.Send("ok");  // the disk is not in yet: the wrong-disk question follows
    ASSERT_TRUE(mender.WaitFor("ﾃﾞｨｽｸが違います　２ 番のﾃﾞｨｽｸをｾｯﾄして下さい [OK/キャンセル] ")) << mender.Err();
    MoveAll(dir / "disk2", dir / "drive");
    mender.Send("ok");
    ASSERT_TRUE(mender.WaitFor("３ 枚目のﾃﾞｨｽｸをｾｯﾄして下さい [OK/キャンセル] ")) << mender.Err();
    MoveAll(dir / "disk3", dir / "drive");
    mender.Send("ok");
    EXPECT_EQ(mender.Wait(), 0) << mender.Err();
    EXPECT_EQ(ReadBytes(dir / "out/data.bin"), data);
    EXPECT_TRUE(Names(dir / "drive").empty());

    // The same disk put in again for every piece: the files this run wrote on
    // it (the manifest of disk 1) are its own, never asked about.
    std::string err;
    EXPECT_EQ(RunProgram(kCarver, {"-y", "--removable", "-s", "100KB", dir / "data.bin", dir / "drive"}, "", &err), 0)
        << err;
    EXPECT_EQ(err.find("上書きしますか"), std::string::npos) << err;
    EXPECT_EQ(Names(dir / "drive"), (std::vector<std::string>{"data.000", "data.001", "data.002", "data.003",
                                                              "data.sha256"}));
}

// Ctrl-C during a copy ends the split after the block in progress and leaves
// what a cancelled split leaves: the join-info file, the finished pieces and
// the current piece as far as written.
TEST(CliEndToEnd, CtrlCDuringALargeSplitLeavesTheCancelledSet)
{
    TempFolder dir;
    const std::string source = dir / "large.bin";
    {
        // Mostly a hole: quick to make, real bytes at the start to check.
        WriteBytes(source, PatternBytes(8'000'000, 5));
        fs::resize_file(source, 600'000'000);
    }
    fs::create_directory(dir / "out");
    ChildProcess carver(kCarver, {"-y", source, dir / "out"});
    while (!fs::exists(dir / "out/large.003")) {
        ASSERT_TRUE(carver.Err().find("失敗") == std::string::npos);
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    carver.Signal(SIGINT);
    EXPECT_EQ(carver.Wait(), 130) << carver.Err();

    const auto names = Names(dir / "out");
    ASSERT_GE(names.size(), 4u);
    EXPECT_EQ(names.front(), "large.000");
    ASSERT_LT(names.size(), 100u) << "the split went on after Ctrl-C";
    const std::string prefix = PatternBytes(8'000'000, 5);
    std::string joined;
    for (size_t i = 1; i < names.size(); ++i) {
        const std::string piece = ReadBytes(dir / ("out/" + names[i]));
        if (i + 1 < names.size()) {
            EXPECT_EQ(piece.size(), i == 1 ? 1417216u : 1421312u) << names[i];
        }
        EXPECT_EQ(piece.size() % 4096, 0u) << "cancel comes after a whole block";
        joined += piece;
    }
    const size_t checked = std::min(joined.size(), prefix.size());
    EXPECT_EQ(joined.substr(0, checked), prefix.substr(0, checked));
}

// Each form of option and size through the real program: the pieces show the
// size it read (a size in bytes is the largest a piece may be, in whole
// 4096-byte blocks; a preset is rounded up to whole blocks, as in the window).
TEST(CliEndToEnd, OptionFormsAndSizes)
{
    TempFolder dir;
    const std::string source = dir / "src.bin";
    WriteBytes(source, PatternBytes(2'900'000, 9));
    struct Case {
        std::vector<std::string> args;  // "SRC" and "DIR" stand for the source and a new folder
        size_t pieces;
        uintmax_t piece2;
        bool batch, quiet;
    };
    const Case cases[] = {
        {{"-bys1M", "SRC", "DIR"}, 3, 1048576, true, false},
        {{"-ys", "1MB", "SRC", "DIR"}, 3, 999424, false, false},
        {{"--size=1MiB", "--yes", "SRC", "DIR"}, 3, 1048576, false, false},
        {{"--si", "1000K", "--ye", "--bat", "SRC", "DIR"}, 3, 1024000, true, false},
        {{"SRC", "-y", "DIR", "--size=1000KB"}, 3, 999424, false, false},
        {{"-y", "--size", "1000000", "SRC", "DIR"}, 3, 999424, false, false},
        {{"-yq", "-s", "640KB", "SRC", "DIR"}, 5, 634880, false, true},
        {{"--quiet", "-y", "-s1.44MB", "SRC", "DIR"}, 3, 1421312, false, true},
        {{"-y", "-s", "700k", "--", "SRC", "DIR"}, 5, 716800, false, false},
        {{"-yqs4095", "SRC", "DIR"}, 709, 4096, false, true},
        {{"-y", "-n", "3", "SRC", "DIR"}, 3, 970752, false, false},
        {{"--number=4", "-y", "SRC", "DIR"}, 4, 729088, false, false},
    };
    int run = 0;
    for (const Case& c : cases) {
        const std::string folder = dir / ("set" + std::to_string(++run));
        fs::create_directory(folder);
        std::vector<std::string> args;
        std::string what;
        for (const std::string& a : c.args) {
            args.push_back(a == "SRC" ? source : a == "DIR" ? folder : a);
            what += a + " ";
        }
        std::string err;
        ASSERT_EQ(RunProgram(kCarver, args, "", &err), 0) << what << err;
        // The pieces, the join-info file, the manifest and the batch file.
        EXPECT_EQ(Names(folder).size(), c.pieces + 2 + (c.batch ? 1 : 0)) << what;
        EXPECT_EQ(fs::file_size(folder + "/src.002"), c.piece2) << what;
        EXPECT_EQ(fs::exists(folder + "/src.bat"), c.batch) << what;
        if (c.quiet) {
            EXPECT_EQ(err, "") << what;
        } else {
            EXPECT_NE(err.find("分割数は *.001～*.00"), std::string::npos) << what << err;
        }
    }
    // Joined back with bundled and with abbreviated options, quietly.
    const std::pair<std::string, std::vector<std::string>> joins[] = {{"set1", {"-dyq"}},
                                                                      {"set2", {"--del", "--ye", "--qu"}}};
    for (const auto& [set, options] : joins) {
        std::vector<std::string> args = options;
        args.insert(args.end(), {dir / (set + "/src.000"), dir / ("joined-" + set)});
        std::string err;
        ASSERT_EQ(RunProgram(kMender, args, "", &err), 0) << set << err;
        EXPECT_EQ(err, "") << set;
        EXPECT_EQ(ReadBytes(dir / ("joined-" + set + "/src.bin")), ReadBytes(source)) << set;
        EXPECT_TRUE(Names(dir / set).empty()) << set;
    }
}

// A failure is printed as "program: file: message: reason".
TEST(CliEndToEnd, FailureLinesNameTheProgramAndTheFile)
{
    TempFolder dir;
    WriteBytes(dir / "src.bin", PatternBytes(10000));
    fs::create_directory(dir / "out");
    WriteBytes(dir / "out/src.000", "old");
    fs::permissions(dir / "out/src.000", fs::perms::owner_read);  // read-only, even for root
    ASSERT_EQ(RunProgram(kCarver, {"-y", "-s", "4096", dir / "src.bin", dir.Path()}, "", nullptr), 0);
    fs::resize_file(dir / "src.002", 100);  // caught by the set's manifest

    // Join-info files whose line 2 no rebuilt file may carry, or with one line only.
    WriteBytes(dir / "red.000", "1\r\n\x1b[31mRED\x1b[0m\x07\r\n");
    WriteBytes(dir / "tab.000", "1\r\na\tb.bin\r\n");
    WriteBytes(dir / "short.000", "1\r\n");
    WriteBytes(dir / "long.000", "1\r\n" + std::string(300, 'x') + ".bin\r\n");

    struct Case {
        std::string program;
        std::vector<std::string> args;
        std::string file;  // named by the failure line, control characters escaped
        std::string reason = {};
        bool beforeAnyQuestion = false;
    };
    const std::string badName = "連結情報ﾌｧｲﾙに正しいﾌｧｲﾙ名がありません";
    const Case cases[] = {
        {kCarver, {"-y", dir / "missing.bin", dir / "out"}, dir / "missing.bin", "", true},
        {kCarver, {"-y", dir / "gone\x1b[2J.bin", dir / "out"}, dir / "gone\\x1b[2J.bin", "", true},
        {kCarver, {"-y", "--force", dir / "src.bin", dir / "out"}, dir / "out/src.000"},
        {kMender, {"-y", dir / "missing.000", dir / "joined"}, dir / "missing.000", "", true},
        {kMender, {"-y", dir / "src.000", dir / "no/such/folder"}, dir / "no/such/folder/src.bin"},
        {kMender, {"-y", "-d", dir / "src.000", dir / "joined"}, dir / "src.002", "「src.002」が壊れています"},
        {kMender, {"-y", dir / "red.000", dir / "joined"}, dir / "red.000", badName},
        {kMender, {"-y", dir / "tab.000", dir / "joined"}, dir / "tab.000", badName},
        {kMender, {"-y", dir / "short.000", dir / "joined"}, dir / "short.000", "連結情報ﾌｧｲﾙの行が足りません"},
        {kMender, {"-y", dir / "long.000", dir / "joined"}, dir / ("joined/" + std::string(300, 'x') + ".bin")},
    };
    for (const Case& c : cases) {
        const std::string name = fs::path(c.program).filename().string();
        const std::string failed = name == "carver-cli" ? kSplitFailed : kJoinFailed;
        std::string err;
        EXPECT_EQ(RunProgram(c.program, c.args, "", &err), 2) << err;
        const std::string start = name + ": " + c.file + ": " + failed + ": ";
        int failureLines = 0;
        for (const std::string& line : Lines(err)) {
            if (line.find("失敗") == std::string::npos) continue;
            ++failureLines;
            EXPECT_EQ(line.rfind(start, 0), 0u) << line;
            EXPECT_GT(line.size(), start.size()) << "the reason follows";
            EXPECT_NE(line.find(c.reason), std::string::npos) << line;
        }
        EXPECT_EQ(failureLines, 1) << err;
        EXPECT_EQ(err.find('\x1b'), std::string::npos) << "no escape sequence reaches the terminal";
        if (c.beforeAnyQuestion) {
            EXPECT_EQ(err.find("[OK/キャンセル]"), std::string::npos) << err;
        }
    }
    EXPECT_FALSE(fs::exists(dir / "joined/a\tb.bin"));
    EXPECT_EQ(ReadBytes(dir / "out/src.000"), "old");
    EXPECT_FALSE(fs::exists(dir / "src.001")) << "joined and checked, so deleted";
    EXPECT_TRUE(fs::exists(dir / "src.002") && fs::exists(dir / "src.003") && fs::exists(dir / "src.sha256"));
}

// The limit on the size of a file that can be written there is read before
// anything is written: pieces larger than it are refused, naming the folder
// and the limit; a size in bytes is a maximum, so 1MB fits under 1,000,000.
TEST(CliEndToEnd, PiecesLargerThanTheFolderTakesAreRefusedBeforeWriting)
{
    TempFolder dir;
    WriteBytes(dir / "src.bin", PatternBytes(3'000'000, 4));
    struct rlimit old;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    struct rlimit limit = old;
    limit.rlim_cur = 1'000'000;  // the programs started below inherit it
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    const std::tuple<std::string, int, size_t> cases[] = {{"1MiB", 2, 0}, {"1MB", 0, 6}};
    for (const auto& [size, status, files] : cases) {
        const std::string out = dir / ("out" + size);
        fs::create_directory(out);
        std::string err;
        EXPECT_EQ(RunProgram(kCarver, {"-y", "-s", size, dir / "src.bin", out}, "", &err), status) << err;
        EXPECT_EQ(Names(out).size(), files) << size;
        if (status == 2) {
            EXPECT_NE(err.find(out + "/: " + kSplitFailed + ": このﾌｫﾙﾀﾞに置けるﾌｧｲﾙは 1000000 ﾊﾞｲﾄまでです"),
                      std::string::npos) << err;
        }
    }
    ::setrlimit(RLIMIT_FSIZE, &old);
}

TEST(CliEndToEnd, VersionAndLicence)
{
    for (const std::string& program : {kCarver, kMender}) {
        ChildProcess child(program, {"--version"}, true);
        EXPECT_EQ(child.Wait(), 0);
        EXPECT_EQ(child.Err(), fs::path(program).filename().string() + " " CARVER_VERSION "\nライセンス: MIT\n");
    }
}
