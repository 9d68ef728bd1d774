// A delete-as-you-go join that is interrupted (a full disk, a cancel, a kill at
// any moment) is finished by running it again, and the result is the source
// byte for byte.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <random>
#include <thread>

#include "Sha256SumCheck.h"

#include "SafetyTestSupport.h"

namespace fs = std::filesystem;

namespace {

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Runs the same join again until it completes (or its join-info file is gone,
// which happens only after the last piece is joined).
void RunAgainUntilDone(const TempFolder& dir)
{
    for (int attempt = 0; attempt < 3 && fs::exists(dir / "set/m.000"); ++attempt) {
        const Outcome o = RunCli(kMender, {"-d", "-y", "--force", dir / "set/m.000", dir / "out"});
        if (o.status == 0) return;
        ADD_FAILURE() << "rerun " << attempt << " ended with " << o.status << ": " << o.err;
    }
}

// Joins the set in dir/set into dir/out with deletion, stopped at the
// wrong-disk question for piece `stopAt` (moved away meanwhile and put back after).
void InterruptBefore(const TempFolder& dir, int stopAt, const std::vector<std::string>& options = {})
{
    const std::string piece = "f.00" + std::to_string(stopAt);
    fs::rename(dir / ("set/" + piece), dir / piece);
    std::vector<std::string> args = options;
    args.insert(args.end(), {"-d", "-y", dir / "set/f.000", dir / "out"});
    const Outcome o = RunCli(kMender, args);
    EXPECT_EQ(o.status, 1) << o.err;
    fs::rename(dir / piece, dir / ("set/" + piece));
}

// A manifest of the lines given, as `sha256sum` writes it.
void WriteManifestLines(const std::string& path, const std::vector<std::pair<std::string, std::string>>& lines)
{
    std::string text;
    for (const auto& [name, bytes] : lines) text += Sha256Hex(bytes) + "  " + name + "\n";
    WriteBytes(path, text);
}

const std::string kOwnFile = "連結後ﾌｧｲﾙが分割ﾌｧｲﾙに上書きすることになります";
const std::string kSetAside = "再開情報を使わず最初から連結します";

}  // namespace

// Nothing ties the files of a set together but what the programs check: a
// resume state, a manifest or an old piece of the same name must never be
// taken for part of the set being joined, nor anything of another set deleted.
TEST(InterruptedJoin, EachRunJoinsOneSetAndDeletesNothingOfAnother)
{
    const std::string longName = std::string(236, 'n') + ".bin";  // the state file's name would be 255 bytes and more
    const std::string tooLong = std::string(251, 'm');            // M.000 fits, M.sha256 does not
    struct Case {
        const char* what;
        std::function<void(const TempFolder&)> arrange;  // dir/f.bin split into dir/set unless said otherwise
        std::vector<std::string> args;                   // "@" stands for the test's folder
        int status;
        std::vector<std::string> said;  // parts of standard error
        std::function<void(const TempFolder&)> check;
        std::string input = {};
        std::string program = kMender;
    };
    const std::string newData = PatternBytes(450'000, 7);
    const auto resplit = [&](const TempFolder& dir) {
        WriteBytes(dir / "f.bin", newData);
        EXPECT_EQ(RunCli(kCarver, {"-y", "--force", "-s", "100KB", dir / "f.bin", dir / "set"}).status, 0);
    };
    const auto joinedNew = [&](const TempFolder& dir) {
        EXPECT_TRUE(ReadBytes(dir / "out/f.bin") == newData);
        EXPECT_TRUE(NamesIn(dir / "set").empty());
        EXPECT_EQ(NamesIn(dir / "out"), std::vector<std::string>{"f.bin"}) << "no state is left";
    };
    const auto joinedOld = [](const TempFolder& dir) {
        EXPECT_TRUE(ReadBytes(dir / "out/f.bin") == ReadBytes(dir / "old.bin"));
        EXPECT_TRUE(NamesIn(dir / "set").empty());
        EXPECT_EQ(NamesIn(dir / "out"), std::vector<std::string>{"f.bin"}) << "no state is left";
    };
    const Case cases[] = {
        {"a split -d set whose f.000 a delete-as-you-go join took, resumed through f.001",
         [](const TempFolder& dir) {
             WriteBytes(dir / "old.bin", PatternBytes(450'000, 3));
             fs::create_directory(dir / "set");
             EXPECT_EQ(RunCli("/usr/bin/split", {"-d", "-a", "3", "-b", "100000", dir / "old.bin", dir / "set/f."}).status, 0);
             // A full disk inside the fourth piece: the three before it go.
             EXPECT_EQ(RunCli("/usr/bin/prlimit", {"--fsize=350000", kMender, "-d", "-y", dir / "set/f.000", dir / "out"})
                           .status, 2);
             EXPECT_FALSE(fs::exists(dir / "set/f.000"));
         },
         {"-y", "-d", "@set/f.001", "@out"}, 0, {"「f」は ３ 番まで連結済みです"},
         [](const TempFolder& dir) {
             EXPECT_TRUE(ReadBytes(dir / "out/f") == ReadBytes(dir / "old.bin"));
             EXPECT_TRUE(NamesIn(dir / "set").empty());
             EXPECT_EQ(NamesIn(dir / "out"), std::vector<std::string>{"f"}) << "no state is left";
         }},
        {"the rebuilt file would be the set's manifest",
         [](const TempFolder& dir) { MakeSplitSet(dir, "x.sha256", 250'000); },
         {"-y", "-d", "@set/x.000", "@set"}, 2, {"@set/x.sha256: ", kOwnFile},
         [](const TempFolder& dir) {
             EXPECT_EQ(NamesIn(dir / "set"), (std::vector<std::string>{"x.000", "x.001", "x.002", "x.003", "x.sha256"}));
         }},
        {"the state of an interrupted join, then a new set of the same name split there",
         [&](const TempFolder& dir) {
             MakeSplitSet(dir, "f.bin", 450'000);
             InterruptBefore(dir, 4);
             resplit(dir);
         },
         {"-y", "--force", "-d", "@set/f.000", "@out"}, 0, {"@out/.f.bin.mender-resume: " + kSetAside}, joinedNew},
        {"a complete state left by a kill in the final cleanup, then a new set of the same name",
         [&](const TempFolder& dir) {
             MakeSplitSet(dir, "f.bin", 450'000);
             std::string state = "mender-resume 2\ncount-line 005\nname f.bin\ncount 5\n";
             for (int k = 1; k <= 5; ++k) {
                 const std::string piece = ReadBytes(dir / ("set/f.00" + std::to_string(k)));
                 state += "piece " + std::to_string(piece.size()) + " " + Sha256Hex(piece) + "\n";
             }
             EXPECT_EQ(RunCli(kMender, {"-y", "-d", dir / "set/f.000", dir / "out"}).status, 0);
             WriteBytes(dir / "out/.f.bin.mender-resume", state + "complete\n");
             resplit(dir);
         },
         {"-y", "--force", "-d", "@set/f.000", "@out"}, 0, {kSetAside}, joinedNew},
        {"いいえ at the resume question joins the set from its first piece",
         [](const TempFolder& dir) {
             MakeSplitSet(dir, "f.bin", 450'000);
             fs::copy_file(dir / "f.bin", dir / "old.bin");
             fs::copy(dir / "set", dir / "copy");
             InterruptBefore(dir, 4);
             fs::copy(dir / "copy", dir / "set", fs::copy_options::recursive | fs::copy_options::skip_existing);  // the pieces back
         },
         {"-d", "@set/f.000", "@out"}, 0, {"３ 番まで連結済みです", "上書きしますか"}, joinedOld, "ok\nno\nyes\n"},
        {"a whole-file line only, a damaged piece 5 and a resumed join",
         [](const TempFolder& dir) {
             MakeSplitSet(dir, "f.bin", 550'000);
             WriteManifestLines(dir / "set/f.sha256", {{"f.bin", ReadBytes(dir / "f.bin")}});
             std::string piece = ReadBytes(dir / "set/f.005");
             piece[10] ^= 1;
             WriteBytes(dir / "set/f.005", piece);
             InterruptBefore(dir, 4);
         },
         {"-y", "-d", "@set/f.000", "@out"}, 2, {"連結後のﾌｧｲﾙが元のﾌｧｲﾙと一致しません"},
         [](const TempFolder& dir) {
             for (int k = 1; k <= 6; ++k) EXPECT_TRUE(fs::exists(dir / ("set/f.00" + std::to_string(k)))) << k;
         }},
        {"a piece that is a link to the rebuilt file",
         [](const TempFolder& dir) {
             MakeSplitSet(dir, "f.bin", 250'000);
             fs::remove(dir / "set/f.002");
             fs::create_symlink("../out/f.bin", dir / "set/f.002");
         },
         {"-y", "@set/f.000", "@out"}, 2, {"@set/f.002: ", kOwnFile},
         [](const TempFolder& dir) { EXPECT_TRUE(fs::exists(dir / "set/f.003")); }},
        {"a removable join cancelled at the question for disk 2, run again",
         [](const TempFolder& dir) {
             MakeSplitSet(dir, "f.bin", 250'000);
             fs::copy_file(dir / "f.bin", dir / "old.bin");
             // Disk 1 in the drive: the join-info file, piece 1 and their manifest.
             fs::create_directory(dir / "later");
             for (const std::string name : {"f.002", "f.003", "f.sha256"})
                 fs::rename(dir / ("set/" + name), dir / ("later/" + name));
             WriteManifestLines(dir / "set/f.sha256", {{"f.001", ReadBytes(dir / "set/f.001")}});
             const Outcome o = RunCli(kMender, {"--removable", "-d", "-y", dir / "set/f.000", dir / "out"});
             EXPECT_EQ(o.status, 1) << o.err;
             EXPECT_EQ(NamesIn(dir / "set"), (std::vector<std::string>{"f.000", "f.sha256"}));
             // The last disk in the drive, with the first one's files still there.
             for (const std::string name : {"f.002", "f.003", "f.sha256"})
                 fs::rename(dir / ("later/" + name), dir / ("set/" + name));
         },
         {"--removable", "-y", "-d", "@set/f.000", "@out"}, 0, {"１ 番まで連結済みです"}, joinedOld},
        {"a hole left disk by disk, the recovery disk not found, then the recovery data gone",
         [](const TempFolder& dir) {
             WriteBytes(dir / "f.bin", PatternBytes(250'000, 3));
             fs::create_directory(dir / "set");
             EXPECT_EQ(RunCli(kCarver, {"-y", "-r", "1", "-s", "100KB", dir / "f.bin", dir / "set"}).status, 0);
             fs::rename(dir / "set/f.002", dir / "f.002");
             fs::rename(dir / "set/f.vol0+1.par2", dir / "f.vol0+1.par2");
             // いいえ for piece 2; then no disk brings the recovery slice.
             const Outcome o = RunCli(kMender, {"--removable", "-d", "-y", dir / "set/f.000", dir / "out"}, "n\n");
             EXPECT_EQ(o.status, 2) << o.err;
             EXPECT_TRUE(Contains(o.err, "「f.002」を修復できません　修復用ﾃﾞｰﾀがあと 1 ｽﾗｲｽ必要です")) << o.err;
             fs::remove(dir / "set/f.par2");
         },
         {"--removable", "-y", "-d", "@set/f.000", "@out"}, 2, {"「f.002」を修復できません　修復用ﾃﾞｰﾀ「f.par2」がありません"},
         [](const TempFolder& dir) {
             EXPECT_NE(ReadBytes(dir / "out/.f.bin.mender-resume").find(" - hole\n"), std::string::npos);
             EXPECT_EQ(NamesIn(dir / "set"), (std::vector<std::string>{"f.000", "f.sha256"}));
         }},
        {"the set's folder moved after an interruption",
         [](const TempFolder& dir) {
             MakeSplitSet(dir, "f.bin", 450'000);
             fs::copy_file(dir / "f.bin", dir / "old.bin");
             InterruptBefore(dir, 4);
             fs::rename(dir / "set", dir / "moved");
             fs::create_directory(dir / "set");
         },
         {"-y", "-d", "@moved/f.000", "@out"}, 0, {"３ 番まで連結済みです"}, [](const TempFolder& dir) {
             EXPECT_TRUE(ReadBytes(dir / "out/f.bin") == ReadBytes(dir / "old.bin"));
             EXPECT_TRUE(NamesIn(dir / "moved").empty());
         }},
        {"a name whose state file's name would be 255 bytes and more",
         [&](const TempFolder& dir) {
             MakeSplitSet(dir, longName, 250'000);
             fs::copy_file(dir / longName, dir / "old.bin");
         },
         {"-y", "-d", "@set/" + longName.substr(0, 236) + ".000", "@out"}, 0, {}, [&](const TempFolder& dir) {
             EXPECT_TRUE(ReadBytes(dir / ("out/" + longName)) == ReadBytes(dir / "old.bin"));
             EXPECT_TRUE(NamesIn(dir / "set").empty());
         }},
        {"a name whose manifest's name would not fit is refused before anything is written",
         [&](const TempFolder& dir) {
             WriteBytes(dir / tooLong, "bytes");
             fs::create_directory(dir / "set");
         },
         {"-y", "--no-checksum", "@" + tooLong, "@set"}, 2, {"@set/" + tooLong + ".sha256: ", "ﾌｧｲﾙ分割失敗"},
         [](const TempFolder& dir) { EXPECT_TRUE(NamesIn(dir / "set").empty()); }, "", kCarver},
        {"a set whose manifest's name would not fit joins without one",
         [&](const TempFolder& dir) {
             fs::create_directory(dir / "set");
             WriteBytes(dir / ("set/" + tooLong + ".000"), "001\r\n" + tooLong + "\r\n");
             WriteBytes(dir / ("set/" + tooLong + ".001"), "bytes");
         },
         {"-y", "-d", "@set/" + tooLong + ".000", "@out"}, 0, {}, [&](const TempFolder& dir) {
             EXPECT_EQ(ReadBytes(dir / ("out/" + tooLong)), "bytes");
             EXPECT_TRUE(NamesIn(dir / "set").empty());
         }},
        {"an empty manifest is no manifest, and says so",
         [](const TempFolder& dir) {
             MakeSplitSet(dir, "f.bin", 250'000);
             fs::copy_file(dir / "f.bin", dir / "old.bin");
             WriteBytes(dir / "set/f.sha256", "");
         },
         {"-y", "-d", "@set/f.000", "@out"}, 0, {"@set/f.sha256: このｾｯﾄの行がありません"}, joinedOld},
        {"a state file that cannot be read is set aside",
         [](const TempFolder& dir) {
             MakeSplitSet(dir, "f.bin", 250'000);
             fs::copy_file(dir / "f.bin", dir / "old.bin");
             fs::create_directory(dir / "out");
             WriteBytes(dir / "out/.f.bin.mender-resume", "garbage");
         },
         {"-y", "-d", "@set/f.000", "@out"}, 0, {"@out/.f.bin.mender-resume: " + kSetAside + ": 読めません"},
         joinedOld},
        {"a state file that cannot be written is named",
         [](const TempFolder& dir) {
             MakeSplitSet(dir, "f.bin", 250'000);
             fs::create_directories(dir / "out/.f.bin.mender-resume/in-the-way");
         },
         {"-y", "-d", "@set/f.000", "@out"}, 2, {"@out/.f.bin.mender-resume: ﾌｧｲﾙ連結失敗"},
         [](const TempFolder& dir) { EXPECT_TRUE(fs::exists(dir / "set/f.001")) << "nothing deleted unsaved"; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder dir;
        c.arrange(dir);
        const auto expand = [&](const std::string& text) { return text.rfind('@', 0) == 0 ? dir / text.substr(1) : text; };
        std::vector<std::string> args;
        for (const std::string& a : c.args) args.push_back(expand(a));
        const Outcome o = RunCli(c.program, args, c.input);
        EXPECT_EQ(o.status, c.status) << o.err;
        for (const std::string& part : c.said) EXPECT_TRUE(Contains(o.err, expand(part))) << part << "\n" << o.err;
        c.check(dir);
    }
}

TEST(InterruptedJoin, AFullDiskAndACancelAreFinishedByTheSameJoinAgain)
{
    TempFolder dir;
    const std::string data = MakeSplitSet(dir, "m.bin", 450'000);

    // The output may not grow past 250,000 bytes: the join fails inside piece 3.
    Outcome o = RunCli("/usr/bin/prlimit", {"--fsize=250000", kMender, "-d", "-y", dir / "set/m.000", dir / "out"});
    EXPECT_EQ(o.status, 2) << o.err;
    EXPECT_FALSE(fs::exists(dir / "set/m.002")) << "pieces safely joined are gone";
    EXPECT_TRUE(fs::exists(dir / "set/m.003")) << "the piece the failure was in stays";
    EXPECT_TRUE(fs::exists(dir / "set/m.000")) << "the set's description goes last";

    // Cancelled at the wrong-disk question for piece 4: the CLI says what was left.
    fs::rename(dir / "set/m.004", dir / "m.004");
    o = RunCli(kMender, {"-d", "-y", dir / "set/m.000", dir / "out"});
    EXPECT_EQ(o.status, 1);
    EXPECT_TRUE(Contains(o.err, "「m.bin」は ２ 番まで連結済みです　続きを連結しますか [はい/いいえ]")) << o.err;
    EXPECT_TRUE(Contains(o.err, "3/5 個の分割ﾌｧｲﾙを " + dir / "out/m.bin に連結しました")) << o.err;

    // Without -y the resume question is asked, and the end of input declines it.
    fs::rename(dir / "m.004", dir / "set/m.004");
    o = RunCli(kMender, {"-d", dir / "set/m.000", dir / "out"}, "y\n");
    EXPECT_EQ(o.status, 1) << "the confirmation answered, the resume question not";
    EXPECT_TRUE(fs::exists(dir / "set/m.004"));

    o = RunCli(kMender, {"-d", "-y", dir / "set/m.000", dir / "out"});
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(ReadBytes(dir / "out/m.bin"), data);
    EXPECT_TRUE(NamesIn(dir / "set").empty());
    EXPECT_EQ(NamesIn(dir / "out"), std::vector<std::string>{"m.bin"}) << "no state is left behind";
}

TEST(InterruptedJoin, KilledAtRandomMomentsAndRunAgainItGivesTheSourceByteForByte)
{
    // A plain set; and one with recovery data whose piece 25 of 31 is damaged,
    // so that the join leaves a hole and fills it at the end, where the later
    // kills fall (a kill during the fill must leave the hole a hole).
    struct Case {
        bool recovery;
        int rounds;
        double from;  // the share of an undisturbed join before the earliest kill
    } cases[] = {{false, 12, 0.0}, {true, 10, 0.5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.recovery ? "with a hole to fill" : "plain");
        TempFolder master;
        std::string data = MakeSplitSet(master, "m.bin", 1'500'000, 50);
        if (c.recovery) {
            fs::remove_all(master / "set");
            fs::create_directory(master / "set");
            ASSERT_EQ(RunCli(kCarver, {"-y", "-r", "3", "-s", "50KB", master / "m.bin", master / "set"}).status, 0);
            std::string piece = ReadBytes(master / "set/m.025");
            piece[1000] ^= 1;
            WriteBytes(master / "set/m.025", piece);
        }
        // How long an undisturbed join takes, to spread the kills over it.
        const auto started = std::chrono::steady_clock::now();
        {
            TempFolder dir;
            fs::copy(master / "set", dir / "set");
            const Outcome o = RunCli(kMender, {"-d", "-y", dir / "set/m.000", dir / "out"});
            ASSERT_EQ(o.status, 0) << o.err;
            EXPECT_EQ(ReadBytes(dir / "out/m.bin"), data);
        }
        const auto joinTime = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started);

        std::mt19937 random(20261207);
        for (int round = 0; round < c.rounds; ++round) {
            SCOPED_TRACE("round " + std::to_string(round));
            TempFolder dir;
            fs::copy(master / "set", dir / "set");
            const auto span = static_cast<uint64_t>(static_cast<double>(joinTime.count()) * (1 - c.from)) + 1;
            const auto delay = std::chrono::microseconds(static_cast<uint64_t>(joinTime.count() * c.from) + random() % span);
            {
                ChildProcess join(kMender, {"-d", "-y", dir / "set/m.000", dir / "out"});
                std::this_thread::sleep_for(delay);
                join.Signal(SIGKILL);
                join.Wait();
            }
            RunAgainUntilDone(dir);
            EXPECT_EQ(ReadBytes(dir / "out/m.bin"), data);
            EXPECT_TRUE(NamesIn(dir / "set").empty()) << "the set and its recovery files went with the join";
        }
    }
}

// A re-split killed at any moment leaves the old set, a new one or an
// incomplete one, never old pieces behind new ones that join as one; and a
// delete-as-you-go join killed in its final cleanup is finished by the same
// join run again, leaving nothing of the set or of its state.
TEST(InterruptedJoin, KilledDuringAReSplitOrTheFinalCleanupNothingMixedIsJoined)
{
    TempFolder master;
    const std::string oldData = MakeSplitSet(master, "f.bin", 1'900'000, 50);  // 38 pieces
    const std::string newData = PatternBytes(1'500'000, 5);
    fs::create_directory(master / "new");
    WriteBytes(master / "new/f.bin", newData);
    const auto resplit = [&](const std::string& set) {
        return ChildProcess(kCarver, {"-y", "--force", "-s", "50KB", master / "new/f.bin", set});
    };
    const auto started = std::chrono::steady_clock::now();
    {
        TempFolder dir;
        fs::copy(master / "set", dir / "set");
        ASSERT_EQ(resplit(dir / "set").Wait(), 0);
    }
    const auto splitTime = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started);

    std::mt19937 random(20261208);
    for (int round = 0; round < 15; ++round) {
        SCOPED_TRACE("re-split round " + std::to_string(round));
        TempFolder dir;
        fs::copy(master / "set", dir / "set");
        {
            ChildProcess split = resplit(dir / "set");
            std::this_thread::sleep_for(std::chrono::microseconds(random() % static_cast<uint64_t>(splitTime.count() + 1)));
            split.Signal(SIGKILL);
            split.Wait();
        }
        const Outcome o = RunCli(kMender, {"-y", dir / "set/f.000", dir / "out"});
        if (o.status == 0) {
            const std::string joined = ReadBytes(dir / "out/f.bin");
            EXPECT_TRUE(joined == oldData || joined == newData) << "a mixed set was joined";
        }
    }

    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE("cleanup round " + std::to_string(round));
        TempFolder dir;
        fs::copy(master / "set", dir / "set");
        {
            ChildProcess join(kMender, {"-d", "-y", dir / "set/f.000", dir / "out"});
            // The last piece goes before the set's description: the cleanup has begun.
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            while (fs::exists(dir / "set/f.038") && std::chrono::steady_clock::now() < deadline) std::this_thread::yield();
            join.Signal(SIGKILL);
            join.Wait();
        }
        if (fs::exists(dir / "set/f.000")) {
            const Outcome o = RunCli(kMender, {"-d", "-y", dir / "set/f.000", dir / "out"});
            EXPECT_EQ(o.status, 0) << o.err;
        }
        EXPECT_TRUE(ReadBytes(dir / "out/f.bin") == oldData);
        EXPECT_TRUE(NamesIn(dir / "set").empty());
        EXPECT_EQ(NamesIn(dir / "out"), std::vector<std::string>{"f.bin"}) << "no state is left";
    }
}
