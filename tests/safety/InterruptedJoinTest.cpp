// A delete-as-you-go join that is interrupted (a full disk, a cancel, a kill at
// any moment) is finished by running it again, and the result is the source
// byte for byte.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <random>
#include <thread>

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

}  // namespace

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
    EXPECT_TRUE(Contains(o.err, "「m.bin」は ２ 番まで連結済みです　続きを連結しますか [Yes/No]")) << o.err;
    EXPECT_TRUE(Contains(o.err, "3 of 5 pieces joined into " + dir / "out/m.bin")) << o.err;

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
    TempFolder master;
    const std::string data = MakeSplitSet(master, "m.bin", 1'500'000, 50);
    // How long an undisturbed join takes, to spread the kills over it.
    const auto started = std::chrono::steady_clock::now();
    {
        TempFolder dir;
        fs::copy(master / "set", dir / "set");
        ASSERT_EQ(RunCli(kMender, {"-d", "-y", dir / "set/m.000", dir / "out"}).status, 0);
    }
    const auto joinTime = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started);

    std::mt19937 random(20261207);
    for (int round = 0; round < 12; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        TempFolder dir;
        fs::copy(master / "set", dir / "set");
        const auto delay = std::chrono::microseconds(random() % static_cast<uint64_t>(joinTime.count() + 1));
        {
            ChildProcess join(kMender, {"-d", "-y", dir / "set/m.000", dir / "out"});
            std::this_thread::sleep_for(delay);
            join.Signal(SIGKILL);
            join.Wait();
        }
        RunAgainUntilDone(dir);
        EXPECT_EQ(ReadBytes(dir / "out/m.bin"), data);
        EXPECT_FALSE(fs::exists(dir / "set/m.000"));
    }
}
