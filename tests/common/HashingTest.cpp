#include <gtest/gtest.h>

#include <functional>

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
    struct Case {
        std::string bytes;
        const char* hex;
    };
    const Case cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const Case& c : cases)
        for (const size_t feed : {size_t{1}, size_t{63}, size_t{4096}, size_t{1} << 20})
            EXPECT_EQ(HashOf(c.bytes, feed), c.hex) << c.bytes.size() << " bytes fed by " << feed;
}

TEST(Sha256, FinishStartsAfresh)
{
    Sha256 hash;
    Sha256Digest first, second;
    hash.Update(std::string_view("abc"));
    ASSERT_TRUE(hash.Finish(first).ok());
    hash.Update(std::string_view("abc"));
    ASSERT_TRUE(hash.Finish(second).ok());
    EXPECT_EQ(first, second);
}

using HasherFactory = std::function<std::unique_ptr<CopyHasher>()>;

struct HasherCase {
    const char* name;
    HasherFactory make;
};

class CopyHashing : public ::testing::TestWithParam<HasherCase> {};

// Copies the next pieces of `bytes` (from `at` on) into the hasher in blocks
// of `block` bytes, then checks that each piece got the digest a plain hash
// of its bytes gives.
void CopyPieces(CopyHasher& hasher, const std::string& bytes, size_t& at, const std::vector<size_t>& pieces,
                size_t block)
{
    std::vector<std::string> expected;
    for (const size_t length : pieces) {
        for (size_t done = 0; done < length;) {
            const size_t size = std::min(block, length - done);
            const std::span<char> target = hasher.NextBlock(size);
            ASSERT_EQ(target.size(), size);
            std::copy_n(bytes.data() + at + done, size, target.data());
            hasher.BlockFilled();
            done += size;
        }
        hasher.EndPiece();
        expected.push_back(HashOf(bytes.substr(at, length)));
        at += length;
    }
    std::vector<Sha256Digest> digests;
    ASSERT_TRUE(hasher.TakePieceDigests(digests).ok());
    std::vector<std::string> got;
    for (const auto& d : digests) got.push_back(HexOf(d));
    EXPECT_EQ(got, expected);
}

TEST_P(CopyHashing, EveryPieceAndTheWholeInOnePass)
{
    const std::string bytes = PatternBytes(3'000'000, 11);
    auto hasher = GetParam().make();
    size_t at = 0;
    // Pieces over several chunks, shorter than a block, empty, not whole
    // blocks; taken disk by disk.
    CopyPieces(*hasher, bytes, at, {1'417'216, 100, 0}, 4096);
    CopyPieces(*hasher, bytes, at, {}, 4096);
    CopyPieces(*hasher, bytes, at, {1'000'000, 7}, 4096);
    Sha256Digest whole;
    ASSERT_TRUE(hasher->WholeDigest(whole).ok());
    EXPECT_EQ(HexOf(whole), HashOf(bytes.substr(0, at)));
}

TEST_P(CopyHashing, BlocksAsLargeAsTheHasherWasMadeFor)
{
    const std::string bytes = PatternBytes(1'000'000, 3);
    auto hasher = GetParam().make();
    size_t at = 0;
    CopyPieces(*hasher, bytes, at, {600'000, 400'000}, 300'000);
    Sha256Digest whole;
    ASSERT_TRUE(hasher->WholeDigest(whole).ok());
    EXPECT_EQ(HexOf(whole), HashOf(bytes));
}

INSTANTIATE_TEST_SUITE_P(
    Hashers, CopyHashing,
    ::testing::Values(HasherCase{"inline", [] { return MakeInlineCopyHasher(300'000); }},
                      HasherCase{"oneThread", [] { return MakeThreadedCopyHasher(300'000, 1); }},
                      HasherCase{"twoThreads", [] { return MakeThreadedCopyHasher(300'000, 2); }}),
    [](const ::testing::TestParamInfo<HasherCase>& info) { return std::string(info.param.name); });

}  // namespace
