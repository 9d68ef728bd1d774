#include "JoinVerifier.h"

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>

#include "BlockRuns.h"
#include "JoinSteps.h"
#include "Paths.h"
#include "SplitSet.h"

namespace modMender {

namespace {

// Room for some 200,000 piece lines; a bigger file is no manifest of a set,
// and reading it would hold all of it in memory.
constexpr off_t kLargestManifest = 16 << 20;

}  // namespace

std::string DamagedPiece(const std::string& name) { return TrFormat(N_("「{1}」が壊れています"), {name}); }

JoinVerifier::JoinVerifier(std::string manifestName, std::string sourceName, std::string baseName, bool removable)
    : manifestName_(std::move(manifestName)), sourceName_(std::move(sourceName)), baseName_(std::move(baseName)),
      removable_(removable)
{
}

IoStatus JoinVerifier::Refresh(const std::string& pieceFolder, std::string& unusable)
{
    if (read_ && !removable_) return IoStatus::Success();
    read_ = true;
    manifest_.reset();
    const std::string path = pieceFolder + manifestName_;
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) {
        // A name too long for the folder cannot be there.
        const bool none = errno == ENOENT || errno == ENOTDIR || errno == ENAMETOOLONG;
        return none ? IoStatus::Success() : IoStatus::FromErrno(errno).About(path);
    }
    if (!S_ISREG(st.st_mode)) return IoStatus::Failure(kNotRegularFile).About(path);
    if (st.st_size > kLargestManifest) return IoStatus::FromErrno(EFBIG).About(path);
    Manifest m;
    if (IoStatus s = Manifest::Read(path, m); !s) return std::move(s).About(path);
    // A manifest left empty (a full disk) or of something else checks nothing.
    const std::string stem = baseName_ + ".";
    const bool forThisSet = std::any_of(m.Entries().begin(), m.Entries().end(), [&](const ManifestEntry& e) {
        return e.name == sourceName_ ||
               (e.name.compare(0, stem.size(), stem) == 0 && PieceNumberOf(e.name.substr(stem.size())));
    });
    if (!forThisSet) {
        unusable = path;
        return IoStatus::Success();
    }
    if (auto whole = m.HashOf(sourceName_)) wholeLine_ = std::move(whole);
    manifest_ = std::move(m);
    manifestSeen_ = true;
    return IoStatus::Success();
}

bool JoinVerifier::ListsAll(const std::vector<std::string>& names) const
{
    return manifest_ &&
           std::all_of(names.begin(), names.end(), [this](const std::string& n) { return manifest_->HashOf(n).has_value(); });
}

bool JoinVerifier::AgreesWith(const std::vector<JoinedPiece>& joined,
                              const std::function<std::string(int32_t)>& pieceName) const
{
    if (!manifest_) return true;
    for (size_t k = 0; k < joined.size(); ++k) {
        const auto line = manifest_->HashOf(pieceName(static_cast<int32_t>(k + 1)));
        if (line && !joined[k].hash.empty() && *line != joined[k].hash) return false;
    }
    return true;
}

void JoinVerifier::StartHashing()
{
    // The whole file is hashed only for an older manifest's whole-file line;
    // on a removable drive that line may come with the last disk.
    if (!hasher_) hasher_ = MakeCopyHasher(BlockRuns::kHashedRunBytes, wholeLine_.has_value() || removable_);
}

IoStatus JoinVerifier::CheckKeptPart(const std::string& rebuiltPath, const std::vector<JoinedPiece>& kept,
                                     const std::function<void()>& yield)
{
    StartHashing();
    BinaryReader rebuilt;
    if (IoStatus s = rebuilt.Open(rebuiltPath); !s) return s;
    int blocks = 0;
    for (const JoinedPiece& piece : kept) {
        for (int64_t left = piece.length; left > 0;) {
            const size_t size = static_cast<size_t>(std::min<int64_t>(left, static_cast<int64_t>(kBlockSize)));
            const std::span<char> block = hasher_->NextBlock(size);
            if (IoStatus s = rebuilt.Read(block); !s) return s;
            hasher_->BlockFilled();
            left -= static_cast<int64_t>(size);
            if (++blocks % 32 == 0) yield();
        }
        hasher_->EndPiece();
        unlined_ = unlined_ || piece.kept;
        unhashed_ = unhashed_ || piece.hole;
    }
    std::vector<Sha256Digest> digests;
    if (IoStatus s = hasher_->TakePieceDigests(digests); !s) return std::move(s).About(rebuiltPath);
    for (size_t k = 0; k < digests.size() && k < kept.size(); ++k) {
        if (!kept[k].hash.empty() && kept[k].hash != HexOf(digests[k]))
            return IoStatus::Failure(DamagedPiece(FileNameOf(rebuiltPath))).About(rebuiltPath);
    }
    return IoStatus::Success();
}

CopyHasher* JoinVerifier::BeforePiece(const std::string& name, bool record)
{
    expected_ = manifest_ ? manifest_->HashOf(name) : std::nullopt;
    // A piece nothing asks a hash of is copied without one: a plain join
    // costs what the copy costs.
    hashingPiece_ = manifestSeen_ || record;
    if (!hashingPiece_) return nullptr;
    StartHashing();
    return hasher_.get();
}

IoStatus JoinVerifier::AfterPiece(const std::string& piecePath, bool settle)
{
    unlined_ = unlined_ || !expected_;
    if (!hashingPiece_) {
        // Verdicts go in the pieces' order: those still hashing come first.
        if (IoStatus s = Settle(); !s) return s;
        unhashed_ = true;
        verdicts_.push_back({});
        return IoStatus::Success();
    }
    hasher_->EndPiece();
    unchecked_.push_back({piecePath, expected_});
    return Check(settle);
}

IoStatus JoinVerifier::Settle() { return unchecked_.empty() ? IoStatus::Success() : Check(true); }

IoStatus JoinVerifier::Check(bool wait)
{
    std::vector<Sha256Digest> digests;
    if (IoStatus s = hasher_->TakePieceDigests(digests, wait); !s) return std::move(s).About(unchecked_.front().path);
    for (const Sha256Digest& digest : digests) {
        if (unchecked_.empty()) break;  // nothing left to compare it with
        const Unchecked piece = std::move(unchecked_.front());
        unchecked_.pop_front();
        const std::string hash = HexOf(digest);
        if (piece.line && hash != *piece.line) {
            // The pieces joined after it no longer count: their hashes go unchecked.
            unchecked_.clear();
            std::vector<Sha256Digest> unchecked;
            IgnoreResult(hasher_->TakePieceDigests(unchecked));
            return IoStatus::Failure(DamagedPiece(FileNameOf(piece.path))).About(piece.path);
        }
        verdicts_.push_back({hash, piece.line.has_value()});
    }
    return IoStatus::Success();
}

IoStatus JoinVerifier::CheckWhole(const std::string& rebuiltPath)
{
    // Every piece matched its own line: the file is right by construction.
    if (!wholeLine_ || !unlined_ || !hasher_ || unhashed_) return IoStatus::Success();
    Sha256Digest digest;
    if (IoStatus s = hasher_->WholeDigest(digest); !s) return std::move(s).About(rebuiltPath);
    if (HexOf(digest) != *wholeLine_) return IoStatus::Failure(kRebuiltDiffers).About(rebuiltPath);
    wholeMatched_ = true;
    return IoStatus::Success();
}

}  // namespace modMender
