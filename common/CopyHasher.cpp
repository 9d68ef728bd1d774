#include "CopyHasher.h"

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>

namespace {

class InlineCopyHasher : public CopyHasher {
public:
    InlineCopyHasher(size_t largestBlock, bool whole, PieceBytesObserver observer)
        : buffer_(largestBlock), wantWhole_(whole), observer_(std::move(observer))
    {
    }

    std::span<char> NextBlock(size_t size) override
    {
        block_ = std::span<char>(buffer_.data(), size);
        return block_;
    }
    void BlockFilled() override
    {
        piece_.Update(block_);
        if (wantWhole_) whole_.Update(block_);
        if (observer_) observer_(pieceNumber_, block_, false);
    }
    void EndPiece() override
    {
        if (observer_) observer_(pieceNumber_, {}, true);
        ++pieceNumber_;
        Sha256Digest digest;
        if (IoStatus s = piece_.Finish(digest); !s && status_) status_ = s;
        digests_.push_back(digest);
    }
    IoStatus TakePieceDigests(std::vector<Sha256Digest>& digests) override
    {
        digests = std::move(digests_);
        digests_.clear();
        return status_;
    }
    IoStatus WholeDigest(Sha256Digest& digest) override
    {
        if (!wantWhole_) return IoStatus::FromErrno(EINVAL);
        if (IoStatus s = whole_.Finish(digest); !s) return s;
        return status_;
    }

private:
    std::vector<char> buffer_;
    const bool wantWhole_;
    const PieceBytesObserver observer_;
    uint64_t pieceNumber_ = 0;
    std::span<char> block_;
    Sha256 piece_, whole_;
    std::vector<Sha256Digest> digests_;
    IoStatus status_ = IoStatus::Success();
};

// A ring of chunks: the copying thread fills one chunk with blocks and hands
// it over whole, so the hashing threads wait on each other once per chunk,
// not once per block. A chunk is filled again only when every hashing thread
// is done with it.
class ThreadedCopyHasher : public CopyHasher {
public:
    ThreadedCopyHasher(size_t largestBlock, bool whole, PieceBytesObserver observer)
        : chunkSize_(std::max(kChunkSize, largestBlock)), wantWhole_(whole), observer_(std::move(observer))
    {
        for (Chunk& c : chunks_) c.data = std::make_unique_for_overwrite<char[]>(chunkSize_);
        try {
            for (int i = 0; i < 2; ++i) threads_[i] = std::thread([this, i] { Work(i); });
        } catch (...) {
            Abandon();  // the threads already started
            throw;
        }
    }

    ~ThreadedCopyHasher() override { Abandon(); }

    std::span<char> NextBlock(size_t size) override
    {
        if (Current().used + size > chunkSize_) HandOver();
        pending_ = size;
        Chunk& c = Current();
        return std::span<char>(c.data.get() + c.used, size);
    }

    void BlockFilled() override { chunks_[filling_ % kChunks].used += pending_; }

    void EndPiece() override
    {
        Current().endsPiece = true;
        HandOver();
        ++piece_;
    }

    IoStatus TakePieceDigests(std::vector<Sha256Digest>& digests) override
    {
        std::unique_lock lock(mutex_);
        hashed_cv_.wait(lock, [this] { return SlowestDone() == handedOver_; });
        digests.clear();
        // The two threads finish their pieces in either order; they are
        // handed out in the order of the pieces.
        for (auto at = digests_.begin(); at != digests_.end() && at->first == taken_; at = digests_.erase(at), ++taken_)
            digests.push_back(at->second);
        return status_;
    }

    IoStatus WholeDigest(Sha256Digest& digest) override
    {
        if (!wantWhole_) return IoStatus::FromErrno(EINVAL);
        if (ready_ && Current().used > 0) HandOver();
        Stop();
        digest = whole_;
        return status_;
    }

private:
    static constexpr size_t kChunkSize = 128 * 1024;
    // Enough for a 1.44MB piece and more, so that while one thread hashes a
    // piece the copy can go on filling the next one for the other.
    static constexpr uint64_t kChunks = 12;

    struct Chunk {
        std::unique_ptr<char[]> data;
        size_t used = 0;
        bool endsPiece = false;
        uint64_t piece = 0;  // a chunk holds bytes of one piece only
    };

    // The chunk being filled, once every hashing thread is done with what it
    // held the round before.
    Chunk& Current()
    {
        Chunk& c = chunks_[filling_ % kChunks];
        if (!ready_) {
            std::unique_lock lock(mutex_);
            hashed_cv_.wait(lock, [this] { return filling_ - SlowestDone() < kChunks; });
            c.used = 0;
            c.endsPiece = false;
            c.piece = piece_;
            ready_ = true;
        }
        return c;
    }

    void HandOver()
    {
        Current();
        {
            std::lock_guard lock(mutex_);
            handedOver_ = ++filling_;
        }
        ready_ = false;
        handed_cv_.notify_all();
    }

    uint64_t SlowestDone() const { return std::min(done_[0], done_[1]); }

    void Work(int index)
    {
        const bool whole = wantWhole_ && index == 1;
        Sha256 pieceHash, wholeHash;
        IoStatus status = IoStatus::Success();
        for (uint64_t next = 0;; ++next) {
            {
                std::unique_lock lock(mutex_);
                handed_cv_.wait(lock, [&] { return handedOver_ > next || closing_ || abandoned_; });
                if (abandoned_ || handedOver_ == next) break;
            }
            const Chunk& c = chunks_[next % kChunks];
            // Thread 0 takes every piece beside the whole, else the even pieces.
            const bool pieces = wantWhole_ ? index == 0 : c.piece % 2 == static_cast<uint64_t>(index);
            const std::span<const char> bytes(c.data.get(), c.used);
            if (pieces) pieceHash.Update(bytes);
            if (pieces && observer_) observer_(c.piece, bytes, c.endsPiece);
            if (whole) wholeHash.Update(bytes);
            Sha256Digest digest;
            if (pieces && c.endsPiece) {
                if (IoStatus s = pieceHash.Finish(digest); !s && status) status = s;
            }
            {
                std::lock_guard lock(mutex_);
                if (pieces && c.endsPiece) digests_.emplace(c.piece, digest);
                if (!status && status_) status_ = status;
                done_[index] = next + 1;
            }
            hashed_cv_.notify_all();
        }
        if (whole) {
            Sha256Digest digest;
            const IoStatus s = wholeHash.Finish(digest);
            std::lock_guard lock(mutex_);
            whole_ = digest;
            if (!s && status_) status_ = s;
        }
    }

    void Abandon()
    {
        {
            std::lock_guard lock(mutex_);
            abandoned_ = true;
        }
        Stop();
    }

    void Stop()
    {
        {
            std::lock_guard lock(mutex_);
            closing_ = true;
        }
        handed_cv_.notify_all();
        for (std::thread& t : threads_)
            if (t.joinable()) t.join();
    }

    const size_t chunkSize_;
    const bool wantWhole_;
    const PieceBytesObserver observer_;
    Chunk chunks_[kChunks];
    std::thread threads_[2];

    // The copying thread's own.
    uint64_t filling_ = 0;  // sequence number of the chunk being filled
    bool ready_ = false;    // that chunk is free to fill
    size_t pending_ = 0;
    uint64_t piece_ = 0;  // number of the piece being filled
    uint64_t taken_ = 0;  // digests handed out so far

    std::mutex mutex_;
    std::condition_variable handed_cv_, hashed_cv_;
    uint64_t handedOver_ = 0;  // chunks handed over so far
    uint64_t done_[2] = {0, 0};  // chunks each hashing thread is done with
    bool closing_ = false;       // hash what was handed over, then stop
    bool abandoned_ = false;     // stop now
    std::map<uint64_t, Sha256Digest> digests_;  // by piece number
    Sha256Digest whole_{};
    IoStatus status_ = IoStatus::Success();
};

}  // namespace

std::unique_ptr<CopyHasher> MakeCopyHasher(size_t largestBlock, bool whole, PieceBytesObserver observer)
{
    try {
        return std::make_unique<ThreadedCopyHasher>(largestBlock, whole, observer);
    } catch (const std::system_error&) {
        // No thread to be had: the copy hashes as it goes.
        return MakeInlineCopyHasher(largestBlock, whole, std::move(observer));
    }
}

std::unique_ptr<CopyHasher> MakeInlineCopyHasher(size_t largestBlock, bool whole, PieceBytesObserver observer)
{
    return std::make_unique<InlineCopyHasher>(largestBlock, whole, std::move(observer));
}
