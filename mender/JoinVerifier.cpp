#include "JoinVerifier.h"

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>

#include "JoinSteps.h"
#include "Paths.h"

namespace modMender {

namespace {

// Room for some 200,000 piece lines; a bigger file is no manifest of a set,
// and reading it would hold all of it in memory.
constexpr off_t kLargestManifest = 16 << 20;

}  // namespace

std::string DamagedPiece(const std::string& name) { return TrFormat(N_("「{1}」が壊れています"), {name}); }

JoinVerifier::JoinVerifier(std::string manifestName, std::string sourceName, bool removable)
    : manifestName_(std::move(manifestName)), sourceName_(std::move(sourceName)), removable_(removable)
{
}

IoStatus JoinVerifier::Refresh(const std::string& pieceFolder)
{
    if (read_ && !removable_) return IoStatus::Success();
    read_ = true;
    manifest_.reset();
    const std::string path = pieceFolder + manifestName_;
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return errno == ENOENT || errno == ENOTDIR ? IoStatus::Success() : IoStatus::FromErrno(errno).About(path);
    if (!S_ISREG(st.st_mode)) return IoStatus::Failure(kNotRegularFile).About(path);
    if (st.st_size > kLargestManifest) return IoStatus::FromErrno(EFBIG).About(path);
    Manifest m;
    if (IoStatus s = Manifest::Read(path, m); !s) return std::move(s).About(path);
    if (auto whole = m.HashOf(sourceName_)) wholeLine_ = std::move(whole);
    manifest_ = std::move(m);
    return IoStatus::Success();
}

bool JoinVerifier::ListsAll(const std::vector<std::string>& names) const
{
    return manifest_ &&
           std::all_of(names.begin(), names.end(), [this](const std::string& n) { return manifest_->HashOf(n).has_value(); });
}

void JoinVerifier::StartHashing()
{
    if (!hasher_) hasher_ = MakeCopyHasher(kBlockSize);
}

IoStatus JoinVerifier::CheckKeptPart(const std::string& rebuiltPath, const std::vector<int64_t>& lengths,
                                     const std::vector<std::string>& pieceNames, const std::function<void()>& yield)
{
    if (!manifest_) {
        unhashed_ = unhashed_ || std::any_of(lengths.begin(), lengths.end(), [](int64_t n) { return n > 0; });
        return IoStatus::Success();
    }
    StartHashing();
    BinaryReader rebuilt;
    if (IoStatus s = rebuilt.Open(rebuiltPath); !s) return s;
    int blocks = 0;
    for (const int64_t length : lengths) {
        for (int64_t left = length; left > 0;) {
            const size_t size = static_cast<size_t>(std::min<int64_t>(left, static_cast<int64_t>(kBlockSize)));
            const std::span<char> block = hasher_->NextBlock(size);
            if (IoStatus s = rebuilt.Read(block); !s) return s;
            hasher_->BlockFilled();
            left -= static_cast<int64_t>(size);
            if (++blocks % 32 == 0) yield();
        }
        hasher_->EndPiece();
    }
    std::vector<Sha256Digest> digests;
    if (IoStatus s = hasher_->TakePieceDigests(digests); !s) return std::move(s).About(rebuiltPath);
    for (size_t k = 0; k < digests.size() && k < pieceNames.size(); ++k) {
        const auto line = manifest_->HashOf(pieceNames[k]);
        if (line && *line != HexOf(digests[k]))
            return IoStatus::Failure(DamagedPiece(FileNameOf(rebuiltPath))).About(rebuiltPath);
    }
    return IoStatus::Success();
}

CopyHasher* JoinVerifier::BeforePiece(const std::string& name)
{
    expected_ = manifest_ ? manifest_->HashOf(name) : std::nullopt;
    if (manifest_) StartHashing();
    return hasher_.get();
}

IoStatus JoinVerifier::AfterPiece(const std::string& piecePath)
{
    if (!hasher_) {
        unhashed_ = true;
        return IoStatus::Success();
    }
    hasher_->EndPiece();
    std::vector<Sha256Digest> digests;
    if (IoStatus s = hasher_->TakePieceDigests(digests); !s) return std::move(s).About(piecePath);
    pieceMatched_ = expected_ && digests.size() == 1 && HexOf(digests.front()) == *expected_;
    if (expected_ && !pieceMatched_) return IoStatus::Failure(DamagedPiece(FileNameOf(piecePath))).About(piecePath);
    return IoStatus::Success();
}

IoStatus JoinVerifier::CheckWhole(const std::string& rebuiltPath)
{
    if (!wholeLine_ || !hasher_ || unhashed_) return IoStatus::Success();
    Sha256Digest digest;
    if (IoStatus s = hasher_->WholeDigest(digest); !s) return std::move(s).About(rebuiltPath);
    if (HexOf(digest) != *wholeLine_) return IoStatus::Failure(kRebuiltDiffers).About(rebuiltPath);
    wholeMatched_ = true;
    return IoStatus::Success();
}

}  // namespace modMender
