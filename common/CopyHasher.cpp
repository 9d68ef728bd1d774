#include "CopyHasher.h"

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <deque>
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
    IoStatus TakePieceDigests(std::vector<Sha256Digest>& digests, bool) override
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
// it over whole to the thread that hashes it, so a thread is woken once per
// chunk of its own, not once per block. A chunk is filled again only when
// every thread it went to is done with it.
class ThreadedCopyHasher : public CopyHasher {
public:
    ThreadedCopyHasher(size_t largestBlock, bool whole, PieceBytesObserver observer)
        : chunkSize_(std::max(kChunkSize, largestBlock)), wantWhole_(whole), observer_(std::move(observer))
    {
        for (Chunk& c : chunks_) c.data = std::make_unique_for_overwrite<char[]>(chunkSize_);
        try {
            for (int i = 0; i < 2; ++i) threads_[i] = std::thread([this, i] { Work(i); });
        } catch (...) {
            Stop(true);  // the threads already started
            throw;
        }
    }

    ~ThreadedCopyHasher() override { Stop(true); }

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

    IoStatus TakePieceDigests(std::vector<Sha256Digest>& digests, bool wait) override
    {
        std::unique_lock lock(mutex_);
        if (wait) hashed_cv_.wait(lock, [this] { return unhashed_ == 0; });
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
        Stop(false);
        digest = whole_;
        return status_;
    }

private:
    static constexpr size_t kChunkSize = 128 * 1024;
    // Few enough that the bytes are still in the second-level cache when a
    // hashing thread reads them: with 1.5 MiB of chunks a checked join took a
    // tenth longer than with 768 KiB, and the peak memory grew by as much.
    static constexpr uint64_t kChunks = 6;

    struct Chunk {
        std::unique_ptr<char[]> data;
        size_t used = 0;
        bool endsPiece = false;
        uint64_t piece = 0;  // a chunk holds bytes of one piece only
        int hashers = 0;     // threads not done with it yet (under the mutex)
    };

    // The chunk being filled, once every thread it went to the round before
    // is done with it.
    Chunk& Current()
    {
        Chunk& c = chunks_[filling_ % kChunks];
        if (!ready_) {
            std::unique_lock lock(mutex_);
            hashed_cv_.wait(lock, [&c] { return c.hashers == 0; });
            c.used = 0;
            c.endsPiece = false;
            c.piece = piece_;
            ready_ = true;
        }
        return c;
    }

    // With the whole hash, thread 1 hashes every chunk for it and thread 0 for
    // the pieces; without it, piece k goes to thread k % 2.
    void HandOver()
    {
        Chunk& c = Current();
        const bool both = wantWhole_;
        const int owner = static_cast<int>(c.piece % 2);
        {
            std::lock_guard lock(mutex_);
            c.hashers = both ? 2 : 1;
            unhashed_ += c.hashers;
            for (int i = 0; i < 2; ++i)
                if (both || i == owner) queues_[i].push_back(filling_ % kChunks);
            ++filling_;
        }
        ready_ = false;
        for (int i = 0; i < 2; ++i)
            if (both || i == owner) handed_cv_[i].notify_one();
    }

    void Work(int index)
    {
        const bool whole = wantWhole_ && index == 1;
        Sha256 pieceHash, wholeHash;
        IoStatus status = IoStatus::Success();
        for (;;) {
            uint64_t slot = 0;
            {
                std::unique_lock lock(mutex_);
                handed_cv_[index].wait(lock, [&] { return !queues_[index].empty() || closing_ || abandoned_; });
                if (abandoned_ || queues_[index].empty()) break;
                slot = queues_[index].front();
                queues_[index].pop_front();
            }
            Chunk& c = chunks_[slot];
            const std::span<const char> bytes(c.data.get(), c.used);
            Sha256Digest digest;
            const bool ends = !whole && c.endsPiece;
            if (whole) {
                wholeHash.Update(bytes);
            } else {
                pieceHash.Update(bytes);
                if (observer_) observer_(c.piece, bytes, c.endsPiece);
                if (ends)
                    if (IoStatus s = pieceHash.Finish(digest); !s && status) status = s;
            }
            {
                std::lock_guard lock(mutex_);
                if (ends) digests_.emplace(c.piece, digest);
                if (!status && status_) status_ = status;
                --c.hashers;
                --unhashed_;
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

    // Hashes what was handed over and stops the threads; `abandon` stops
    // them without hashing the rest.
    void Stop(bool abandon)
    {
        {
            std::lock_guard lock(mutex_);
            closing_ = true;
            abandoned_ = abandoned_ || abandon;
        }
        for (std::condition_variable& cv : handed_cv_) cv.notify_all();
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
    std::condition_variable handed_cv_[2], hashed_cv_;
    std::deque<uint64_t> queues_[2];  // slots handed to each thread, in order
    uint64_t unhashed_ = 0;           // hashings handed over and not done
    bool closing_ = false;            // hash what was handed over, then stop
    bool abandoned_ = false;          // stop now
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
