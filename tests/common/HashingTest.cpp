#include <gtest/gtest.h>

#include <map>
#include <mutex>

#include "CopyHasher.h"
#include "TempFolder.h"

namespace {

std::string HashOf(const std::string& bytes, size_t feed = 4096)
{
    Sha256 hash;
    for (size_t at = 0; at < bytes.size(); at += feed) hash.Update(std::string_view(bytes).substr(at, feed));
    Sha256Digest digest;
    EXPECT_TRUE(hash.Finish(digest).ok());
    return HexOf(digest);
}

TEST(Sha256, KnownDigestsWhateverTheFeeding)
{
    const std::pair<std::string, const char*> cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto& [bytes, hex] : cases)
        for (const size_t feed : {size_t{1}, size_t{63}, size_t{4096}})
            EXPECT_EQ(HashOf(bytes, feed), hex) << bytes.size() << " bytes fed by " << feed;
}

using HasherMaker = std::unique_ptr<CopyHasher> (*)(size_t, bool, PieceBytesObserver);

class CopyHashing : public ::testing::TestWithParam<std::pair<const char*, HasherMaker>> {
protected:
    static std::unique_ptr<CopyHasher> Make(bool whole, PieceBytesObserver observer = {})
    {
        return GetParam().second(4096, whole, std::move(observer));
    }
};

// Copies the next pieces of `bytes` (from `at` on) into the hasher in blocks
// of 4096 bytes, taking the digests ready after each piece and the rest at
// the end, then checks them against plain hashes, in order.
void CopyPieces(CopyHasher& hasher, const std::string& bytes, size_t& at, const std::vector<size_t>& pieces)
{
    std::vector<std::string> expected, got;
    for (const size_t length : pieces) {
        for (size_t done = 0; done < length;) {
            const size_t size = std::min<size_t>(4096, length - done);
            const std::span<char> target = hasher.NextBlock(size);
            ASSERT_EQ(target.size(), size);
            std::copy_n(bytes.data() + at + done, size, target.data());
            hasher.BlockFilled();
            done += size;
        }
        hasher.EndPiece();
        expected.push_back(HashOf(bytes.substr(at, length)));
        at += length;
        // Whatever is ready now, without waiting: taken in the pieces' order.
        std::vector<Sha256Digest> ready;
        ASSERT_TRUE(hasher.TakePieceDigests(ready, false).ok());
        for (const auto& d : ready) got.push_back(HexOf(d));
    }
    std::vector<Sha256Digest> digests;
    ASSERT_TRUE(hasher.TakePieceDigests(digests).ok());
    for (const auto& d : digests) got.push_back(HexOf(d));
    EXPECT_EQ(got, expected);
}

TEST_P(CopyHashing, EveryPieceAndTheWholeInOnePass)
{
    const std::string bytes = PatternBytes(3'000'000, 11);
    for (const bool whole : {true, false}) {
        // Every piece's bytes are shown beside its hash, in order, and its end once.
        std::mutex lock;
        std::map<uint64_t, std::string> seen;
        std::map<uint64_t, int> ends;
        auto hasher = Make(whole, [&](uint64_t piece, std::span<const char> b, bool end) {
            std::lock_guard hold(lock);
            seen[piece].append(b.data(), b.size());
            ends[piece] += end;
        });
        size_t at = 0;
        // Pieces over several chunks, shorter than a block, empty, not whole
        // blocks, ending inside a block; taken disk by disk, so pieces hashed
        // by either thread come back in order.
        CopyPieces(*hasher, bytes, at, {1'417'216, 100, 0});
        CopyPieces(*hasher, bytes, at, {});
        CopyPieces(*hasher, bytes, at, {1'000'000, 7});
        CopyPieces(*hasher, bytes, at, {5000, 4096, 1, 300'000});
        Sha256Digest digest;
        if (whole) {
            ASSERT_TRUE(hasher->WholeDigest(digest).ok());
            EXPECT_EQ(HexOf(digest), HashOf(bytes.substr(0, at)));
        } else {
            EXPECT_FALSE(hasher->WholeDigest(digest).ok());
        }
        std::lock_guard hold(lock);
        std::string all;
        for (uint64_t piece = 0; piece < 9; ++piece) {
            all += seen[piece];
            EXPECT_EQ(ends[piece], 1) << piece;
        }
        EXPECT_EQ(ends.size(), 9u);
        EXPECT_EQ(seen[4], bytes.substr(1'417'316 + 1'000'000, 7));
        EXPECT_EQ(all, bytes.substr(0, at));
    }
}

TEST_P(CopyHashing, AOnePieceSet)
{
    const std::string bytes = PatternBytes(10'000, 3);
    auto hasher = Make(false);
    size_t at = 0;
    CopyPieces(*hasher, bytes, at, {bytes.size()});
}

INSTANTIATE_TEST_SUITE_P(
    Hashers, CopyHashing,
    ::testing::Values(std::pair<const char*, HasherMaker>{"inline", MakeInlineCopyHasher},
                      std::pair<const char*, HasherMaker>{"threads", MakeCopyHasher}),
    [](const auto& info) { return std::string(info.param.first); });

}  // namespace
