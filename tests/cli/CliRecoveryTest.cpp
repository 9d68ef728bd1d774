// Recovery data end to end: carver-cli -r writes it, par2 checks it, and
// mender-cli rebuilds lost, damaged and cut-short pieces from it (or from
// what par2 create made) before the join.
#include <gtest/gtest.h>

#include <filesystem>

#include "ChildProcess.h"
#include "TempFolder.h"
#include "ToolRun.h"

namespace fs = std::filesystem;

namespace {

const std::string kCarver = CARVER_CLI;
const std::string kMender = MENDER_CLI;

enum class Harm { Delete, Damage, CutShort };

void Harmed(const std::string& path, Harm harm)
{
    std::string bytes = ReadBytes(path);
    if (harm == Harm::Delete) fs::remove(path);
    if (harm == Harm::Damage) bytes[bytes.size() / 3] ^= 0x01;
    if (harm == Harm::CutShort) bytes.resize(bytes.size() - 5);
    if (harm != Harm::Delete) WriteBytes(path, bytes);
}

size_t Count(const std::string& text, const std::string& part)
{
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

}  // namespace

TEST(CliRecovery, LostPiecesAreRebuiltUnlessTooManyAndNothingIsDeletedThen)
{
    struct Case {
        std::vector<std::string> split;  // options besides -y
        bool par2Made;                   // the recovery files made by par2 create instead
        std::vector<std::pair<int, Harm>> harms;
        bool deleteAsItGoes;
        bool rebuilt;
        // A -d join stopped first at this piece, missing then with the
        // recovery files: the resumed join rebuilds what is lost after it.
        int resumeFrom = 0;
    } cases[] = {
        // With a manifest: pieces missing and cut short, at the start, middle and end.
        {{"-r", "3"}, false, {{1, Harm::Delete}, {4, Harm::CutShort}, {8, Harm::Delete}}, false, true},
        {{"-r", "30%"}, false, {{1, Harm::CutShort}, {8, Harm::Delete}}, true, true},
        // Without one, the slices' MD5s find a damaged piece of the right size.
        {{"--no-checksum", "-r", "2"}, false, {{5, Harm::Damage}, {8, Harm::Damage}}, true, true},
        {{}, true, {{2, Harm::Delete}, {3, Harm::CutShort}}, false, true},
        // One more lost than there are recovery slices.
        {{"-r", "2"}, false, {{1, Harm::Delete}, {3, Harm::Delete}, {7, Harm::CutShort}}, true, false},
        // Resumed: a later piece found damaged by the manifest during the copy,
        // or missing (いいえ at the question), becomes a hole filled at the end.
        {{"-r", "2"}, false, {{6, Harm::Damage}, {9, Harm::CutShort}}, true, true, 4},
        {{}, true, {{5, Harm::Delete}}, true, true, 3},
    };
    for (const Case& c : cases) {
        TempFolder dir;
        const std::string data = PatternBytes(12'000'000, 5);  // 9 pieces of 1.44MB
        WriteBytes(dir / "movie.avi", data);
        fs::create_directory(dir / "set");
        std::vector<std::string> split = {"-y"};
        split.insert(split.end(), c.split.begin(), c.split.end());
        split.insert(split.end(), {dir / "movie.avi", dir / "set"});
        std::string err;
        ASSERT_EQ(RunProgram(kCarver, split, "", &err), 0) << err;
        if (c.par2Made) {
            std::vector<std::string> create = {"par2", "create", "-q", "-s65536", "-c80", "movie.par2"};
            for (int k = 1; k <= 9; ++k) create.push_back("movie.00" + std::to_string(k));
            const ToolResult made = RunInFolder(dir / "set", create);
            ASSERT_EQ(made.status, 0) << made.output;
        } else {
            const ToolResult verified = RunInFolder(dir / "set", {"par2", "verify", "-q", "movie.par2"});
            ASSERT_EQ(verified.status, 0) << verified.output;
        }
        if (c.resumeFrom > 0) {
            fs::create_directory(dir / "aside");
            const std::string stop = "movie.00" + std::to_string(c.resumeFrom);
            for (const auto& e : fs::directory_iterator(dir / "set"))
                if (e.path().extension() == ".par2" || e.path().filename() == stop)
                    fs::rename(e.path(), dir / "aside" / e.path().filename());
            EXPECT_EQ(RunProgram(kMender, {"-d", "-y", dir / "set/movie.000", dir / "out"}, "", &err), 1) << err;
            for (const auto& e : fs::directory_iterator(dir / "aside")) fs::rename(e.path(), dir / "set" / e.path().filename());
        }
        for (const auto& [k, harm] : c.harms) Harmed(dir / ("set/movie.00" + std::to_string(k)), harm);
        std::vector<std::string> left;
        for (const auto& e : fs::directory_iterator(dir / "set")) left.push_back(e.path().filename().string());

        std::vector<std::string> join = {"-y", dir / "set/movie.000", dir / "out"};
        if (c.deleteAsItGoes) join.insert(join.begin(), "-d");
        const int status = RunProgram(kMender, join, "n\n", &err);
        if (!c.rebuilt) {
            EXPECT_EQ(status, 2);
            EXPECT_NE(err.find("「movie.001」「movie.003」「movie.007」を修復できません"), std::string::npos) << err;
            EXPECT_NE(err.find("あと 1 ｽﾗｲｽ"), std::string::npos) << err;
            for (const std::string& name : left) EXPECT_TRUE(fs::exists(dir / ("set/" + name))) << name;
            EXPECT_FALSE(fs::exists(dir / "out/movie.avi"));
            continue;
        }
        ASSERT_EQ(status, 0) << err;
        EXPECT_EQ(Count(err, ": 修復用ﾃﾞｰﾀから作り直しました\n"), c.harms.size()) << err;
        EXPECT_EQ(ReadBytes(dir / "out/movie.avi"), data);
        // With -d the recovery files go with the set.
        EXPECT_EQ(fs::is_empty(dir / "set"), c.deleteAsItGoes);
    }
}
