// Recovery data written by us and checked by the real par2, and repairs by us
// of sets par2 made; pieces lost, damaged and cut short, in one file or many.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "RecoveryRepair.h"
#include "RecoveryWriter.h"
#include "TempFolder.h"
#include "ToolRun.h"

using namespace par2;

namespace {

enum class Harm { Delete, Damage, CutShort };

struct Pieces {
    std::vector<std::string> names, contents;
};

Pieces MakePieces(const TempFolder& dir, size_t count, size_t length, size_t lastLength)
{
    Pieces p;
    for (size_t i = 0; i < count; ++i) {
        p.names.push_back("x.00" + std::to_string(i + 1));
        p.contents.push_back(PatternBytes(i + 1 == count ? lastLength : length, static_cast<uint32_t>(i + 11)));
        WriteBytes(dir / p.names.back(), p.contents.back());
    }
    return p;
}

void Harmed(const std::string& path, Harm harm)
{
    std::string bytes = ReadBytes(path);
    if (harm == Harm::Delete) std::filesystem::remove(path);
    if (harm == Harm::Damage) bytes[bytes.size() / 2] ^= 0x40;
    if (harm == Harm::CutShort) bytes.resize(bytes.size() / 3);
    if (harm != Harm::Delete) WriteBytes(path, bytes);
}

std::vector<std::string> Par2FilesIn(const TempFolder& dir)
{
    std::vector<std::string> paths;
    for (const auto& e : std::filesystem::directory_iterator(dir.Path()))
        if (e.path().extension() == ".par2") paths.push_back(e.path().string());
    std::sort(paths.begin(), paths.end());  // x.par2 sorts before x.vol…
    return paths;
}

}  // namespace

TEST(RecoveryNames, AsPar2NamesItsVolumes)
{
    // What `par2 create -c20`, `-c10 -n10 -u` and `-c130` named their files.
    EXPECT_EQ(VolumeFileNames("a", ExponentialVolumes(20)),
              (std::vector<std::string>{"a.vol00+1.par2", "a.vol01+2.par2", "a.vol03+4.par2", "a.vol07+8.par2",
                                        "a.vol15+5.par2"}));
    const auto single = VolumeFileNames("w", SingleSliceVolumes(10));
    EXPECT_EQ(single.front(), "w.vol00+1.par2");
    EXPECT_EQ(single.back(), "w.vol09+1.par2");
    EXPECT_EQ(VolumeFileNames("b", ExponentialVolumes(130)).back(), "b.vol127+03.par2");
    EXPECT_TRUE(IsRecoveryFileName("movie.vol07+08.par2", "movie"));
    EXPECT_TRUE(IsRecoveryFileName("movie.par2", "movie"));
    EXPECT_FALSE(IsRecoveryFileName("movie.vol+1.par2", "movie"));
    EXPECT_FALSE(IsRecoveryFileName("other.vol0+1.par2", "movie"));
}

// Our recovery data as par2 sees it: it verifies, and repairs what is lost.
TEST(RecoveryWriter, Par2VerifiesAndRepairsWithOurFiles)
{
    struct Case {
        size_t pieces, length, last;
        uint32_t recovery;
        bool single;          // one recovery slice per volume
        size_t memory;        // the combination's budget: small ones make many chunks
        std::vector<std::pair<size_t, Harm>> harms;
    } cases[] = {
        {5, 40000, 12345, 2, false, 32u << 20, {{0, Harm::Delete}, {4, Harm::Damage}}},
        {9, 8192, 8192, 3, true, 4096, {{3, Harm::CutShort}, {4, Harm::Delete}, {8, Harm::Delete}}},
        {3, 100003, 7, 1, false, 1 << 16, {{1, Harm::Damage}}},
    };
    for (const Case& c : cases) {
        TempFolder dir;
        const Pieces pieces = MakePieces(dir, c.pieces, c.length, c.last);
        std::vector<InputFile> inputs;
        for (size_t i = 0; i < c.pieces; ++i)
            inputs.push_back({pieces.names[i], {dir / pieces.names[i], 0, pieces.contents[i].size()}});
        RecoveryDescription d;
        ASSERT_TRUE(DescribeInputs(inputs, (c.length + 3) / 4 * 4, d));
        const auto volumes = c.single ? SingleSliceVolumes(c.recovery) : ExponentialVolumes(c.recovery);
        std::vector<std::string> paths;
        for (const std::string& n : VolumeFileNames("x", volumes)) paths.push_back(dir / n);
        ASSERT_TRUE(WriteIndexFile(d, dir / "x.par2"));
        ASSERT_TRUE(WriteVolumes(d, volumes, paths, {c.memory, 2}));
        EXPECT_EQ(std::filesystem::file_size(paths[0]), VolumeFileSize(d, volumes[0]));
        EXPECT_EQ(IndexFileSizeFor(pieces.names), d.criticalPackets.size()) << "known before the pieces are read";
        // The same description from the bytes as a copy passes them by, in odd
        // chunks; piece 1 not seen whole, so it is read for its hashes.
        StreamedDescriptions streamed(c.pieces, (c.length + 3) / 4 * 4);
        for (size_t i = 0; i < c.pieces; ++i) {
            const std::string& bytes = pieces.contents[i];
            const size_t fed = i == 0 ? bytes.size() / 2 : bytes.size();
            for (size_t at = 0; at < fed; at += 1000)
                streamed.Feed(i, bytes.data() + at, std::min<size_t>(1000, fed - at), i > 0 && at + 1000 >= fed);
        }
        RecoveryDescription fromCopy;
        ASSERT_TRUE(streamed.Describe(inputs, fromCopy));
        EXPECT_EQ(fromCopy.criticalPackets, d.criticalPackets);
        // A volume that cannot be written takes those written with it away.
        std::filesystem::create_directory(dir / "blocked");
        const std::vector<std::string> blocked = {dir / "y.vol0+1.par2", dir / "blocked"};
        EXPECT_FALSE(WriteVolumes(d, SingleSliceVolumes(2), blocked));
        EXPECT_FALSE(std::filesystem::exists(blocked[0]));
        // Cancelled at the first progress, or a piece gone that the other
        // thread reads: both threads stop, the failure names the piece, and
        // no volume is left.
        const std::vector<std::string> stopped = {dir / "y.vol0+1.par2", dir / "y.vol1+1.par2"};
        const IoStatus cancelled =
            WriteVolumes(d, SingleSliceVolumes(2), stopped, {c.memory, 2}, [](uint64_t, uint64_t) { return false; });
        EXPECT_FALSE(cancelled);
        EXPECT_EQ(cancelled.Description(), "");
        std::filesystem::rename(dir / pieces.names[1], dir / "aside");
        const IoStatus gone = WriteVolumes(d, SingleSliceVolumes(2), stopped, {c.memory, 2});
        EXPECT_EQ(gone.Subject(), dir / pieces.names[1]);
        std::filesystem::rename(dir / "aside", dir / pieces.names[1]);
        for (const std::string& path : stopped) EXPECT_FALSE(std::filesystem::exists(path)) << path;

        const ToolResult verify = RunInFolder(dir.Path(), {"par2", "verify", "-q", "x.par2"});
        ASSERT_EQ(verify.status, 0) << verify.output;
        for (const auto& [i, harm] : c.harms) Harmed(dir / pieces.names[i], harm);
        const ToolResult repair = RunInFolder(dir.Path(), {"par2", "repair", "-q", "x.par2"});
        ASSERT_EQ(repair.status, 0) << repair.output;
        for (size_t i = 0; i < c.pieces; ++i) EXPECT_EQ(ReadBytes(dir / pieces.names[i]), pieces.contents[i]) << i;
    }
}

// par2's recovery data (slices smaller or larger than the pieces) as we use
// it, the pieces lying in their own files or one after another in one file
// with holes where pieces are lost (as a join leaves them).
TEST(RecoveryRepair, RebuildsFromSetsPar2MadeUnlessTooMuchIsLost)
{
    struct Case {
        const char* sliceSize;
        const char* recovery;
        bool joined;  // the pieces one after another in one file
        std::vector<std::pair<size_t, Harm>> harms;
        bool enough;
    } cases[] = {
        {"10000", "4", false, {{0, Harm::Delete}, {5, Harm::Damage}}, true},
        {"4096", "12", false, {{2, Harm::CutShort}, {3, Harm::Damage}}, true},
        {"40000", "2", true, {{1, Harm::Delete}, {5, Harm::Delete}}, true},
        {"20004", "3", true, {{0, Harm::Damage}, {2, Harm::Delete}, {5, Harm::CutShort}}, true},
        {"20004", "2", false, {{0, Harm::Damage}, {2, Harm::Delete}, {4, Harm::CutShort}}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("slice ") + c.sliceSize + " recovery " + c.recovery);
        TempFolder dir;
        const Pieces pieces = MakePieces(dir, 6, 20000, 6543);
        std::vector<std::string> create = {"par2", "create", "-q", std::string("-s") + c.sliceSize,
                                           std::string("-c") + c.recovery, "x.par2"};
        create.insert(create.end(), pieces.names.begin(), pieces.names.end());
        const ToolResult made = RunInFolder(dir.Path(), create);
        ASSERT_EQ(made.status, 0) << made.output;
        for (const auto& [i, harm] : c.harms) Harmed(dir / pieces.names[i], harm);

        std::vector<RepairFile> files;
        uint64_t at = 0;
        std::string joined;
        for (size_t i = 0; i < pieces.names.size(); ++i) {
            const std::string path = dir / pieces.names[i];
            const bool present = std::filesystem::exists(path);
            const uint64_t length = pieces.contents[i].size();
            if (c.joined) {
                std::string bytes = present ? ReadBytes(path) : std::string();
                bytes.resize(length, '\0');
                joined += bytes;
                files.push_back({pieces.names[i], present, {dir / "joined", at, length}, {dir / "joined", at, length}});
            } else {
                files.push_back({pieces.names[i], present, {path, 0, length}, {path, 0, length}});
            }
            at += length;
        }
        if (c.joined) WriteBytes(dir / "joined", joined);

        const RecoverySet set = ReadRecoveryFiles(Par2FilesIn(dir));
        ASSERT_TRUE(set.Complete());
        RepairPlan plan;
        ASSERT_TRUE(PlanRepair(set, files, plan));
        ASSERT_EQ(plan.Enough(), c.enough) << plan.badSlices << " bad, " << plan.recoverySlices << " recovery";
        if (!c.enough) continue;
        const IoStatus repaired = Repair(set, files, plan, {1 << 15, 2});
        ASSERT_TRUE(repaired) << repaired.Description();
        std::string all;
        for (const std::string& content : pieces.contents) all += content;
        if (c.joined)
            EXPECT_EQ(ReadBytes(dir / "joined"), all);
        else
            for (size_t i = 0; i < pieces.names.size(); ++i)
                EXPECT_EQ(ReadBytes(dir / pieces.names[i]).substr(0, pieces.contents[i].size()), pieces.contents[i]);
    }
}
