#include <gtest/gtest.h>

#include <fcntl.h>
#include <cstring>
#include <random>
#include <sys/statvfs.h>
#include <unistd.h>

#include "SplitTestSupport.h"

namespace {

// Split, then join as the join-info file says, over random lengths, sizes and
// room on the first disk: the rebuilt bytes are the source's.
TEST_F(SplitRunTest, RandomSplitsJoinBackByteForByte)
{
    std::mt19937 random(4242);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    for (int run = 0; run < 40; ++run) {
        const double size = run % 2 ? pick(7, 40) * 1000.0 : pick(1, 12) * 4096.0 + pick(0, 1) * pick(1, 4095);
        MakeSource(static_cast<size_t>(pick(0, 30) * size + pick(0, 9000)), "data" + std::to_string(run) + ".bin");
        // Room for the size when asked, but often less once the set's description is written.
        const uint64_t firstDisk = static_cast<uint64_t>(pick(0, 1) ? size * 2 : pick(1, static_cast<int>(size)));
        platform.drives.freeSpaceQueries.clear();
        platform.drives.onQueryFreeSpace = [&, firstDisk](const std::string&) {
            const bool measuringPieceOne = platform.drives.freeSpaceQueries.size() == 2;
            platform.SetFree(measuringPieceOne ? firstDisk : 1ULL << 40);
        };
        window.box.paints.clear();
        ASSERT_TRUE(Split(size)) << run;
        if (content.empty()) continue;
        const std::string base = "data" + std::to_string(run);
        EXPECT_EQ(Joined(dest / (base + ".000")), content) << "run " << run << " size " << size;
        for (const auto& p : window.box.paints) ASSERT_LE(p.percent, 100) << run;
    }
}

TEST_F(SplitRunTest, SplitsAndJoinsOnTheRealDrives)
{
    modCarver::SetPlatform(modCarver::SystemPlatform());
    MakeSource(5 * 1024 * 1024 + 17, "real.tar.gz");
    window.batchMake = true;
    ASSERT_TRUE(Split(713000));
    EXPECT_EQ(ReadBytes(dest / "real.000"), "008\r\nreal.tar.gz\r\n");
    EXPECT_EQ(Joined(dest / "real.000"), content);
    EXPECT_TRUE(FileExists(dest / "real.bat"));
}

// Compares the pieces of a set with a file, a megabyte at a time.
bool PiecesEqualFile(const std::string& joinInfo, const std::string& file)
{
    JoinInfo info;
    if (!ReadJoinInfo(joinInfo, info).ok()) return false;
    const SplitSetNames names = SplitSetNamesFor(info.sourceName, joinInfo.substr(0, joinInfo.rfind('/') + 1));
    BinaryReader whole;
    if (!whole.Open(file).ok()) return false;
    int64_t remaining = whole.Length();
    std::vector<char> a(1 << 20), b(1 << 20);
    for (int32_t k = 1; k <= info.count; ++k) {
        BinaryReader piece;
        if (!piece.Open(names.PiecePath(k)).ok()) return false;
        for (int64_t left = piece.Length(); left > 0;) {
            const size_t n = static_cast<size_t>(std::min<int64_t>(left, 1 << 20));
            if (!piece.Read({a.data(), n}).ok() || !whole.Read({b.data(), n}).ok()) return false;
            if (std::memcmp(a.data(), b.data(), n) != 0) return false;
            left -= static_cast<int64_t>(n);
            remaining -= static_cast<int64_t>(n);
        }
    }
    return remaining == 0;
}

TEST_F(SplitRunTest, ASourceOfMoreThanTwoGibibytes)
{
    struct statvfs st;
    ASSERT_EQ(::statvfs(dest.Path().c_str(), &st), 0);
    if (static_cast<double>(st.f_bavail) * st.f_frsize < 6.0 * 1024 * 1024 * 1024)
        GTEST_SKIP() << "less than 6 GiB free for a 2 GiB set";

    // Sparse: marks at the start, around the 2 GiB line and at the end.
    source = sourceDir / "huge.img";
    const int64_t length = (1LL << 31) + 123457;
    const int fd = ::open(source.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, length), 0);
    for (const int64_t at : {int64_t{0}, int64_t{(1LL << 31) - 3}, length - 5}) ASSERT_EQ(::pwrite(fd, "MARKS", 5, at), 5);
    ::close(fd);

    ASSERT_TRUE(Split(628000000));
    EXPECT_EQ(ReadBytes(dest / "huge.000"), "004\r\nhuge.img\r\n");
    EXPECT_EQ(FileLength(dest / "huge.004"), length - 628000000LL / 4096 * 4096 - 2 * 153321 * 4096LL);
    EXPECT_TRUE(PiecesEqualFile(dest / "huge.000", source));

    // So many pieces that no count can say it: refused before anything is written.
    for (int k = 1; k <= 4; ++k) ::unlink((dest / ("huge.00" + std::to_string(k))).c_str());
    ::unlink((dest / "huge.000").c_str());
    EXPECT_FALSE(Split(1));
    EXPECT_NE(ui.questions.back().text.find("分割数が多すぎます"), std::string::npos);
    EXPECT_TRUE(FilesIn(dest.Path()).empty());
}

}  // namespace
