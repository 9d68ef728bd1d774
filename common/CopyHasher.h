#pragma once
// The hashes of a copy made block by block: every block feeds the hash of the
// piece it belongs to and, when asked for, the hash of everything copied, in
// one pass over the bytes. The copy reads each block straight into the place NextBlock gives.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "Sha256.h"

class CopyHasher {
public:
    virtual ~CopyHasher() = default;
    // Where the next block of `size` bytes (at most the largest block the
    // hasher was made for) is read into; valid until BlockFilled.
    virtual std::span<char> NextBlock(size_t size) = 0;
    // The block from NextBlock holds its bytes; they go into both hashes.
    virtual void BlockFilled() = 0;
    // The piece ends after the blocks given so far.
    virtual void EndPiece() = 0;
    // The digests of the pieces ended since the last call, in order: all of
    // them (waiting for the hashing to catch up), or without `wait` those
    // ready now, up to the first one that is not.
    virtual IoStatus TakePieceDigests(std::vector<Sha256Digest>& digests, bool wait = true) = 0;
    // Waits for the digest of every block given; nothing can be added after it.
    // Only a hasher made with the whole hash has it.
    virtual IoStatus WholeDigest(Sha256Digest& digest) = 0;
};

// Shown every piece's bytes beside its hash, in order, on the thread that
// hashes the piece (one piece at a time on each thread); `ends` with the
// piece's last bytes (or with none). Pieces are numbered from 0.
using PieceBytesObserver = std::function<void(uint64_t piece, std::span<const char> bytes, bool ends)>;

// The hasher a copy uses: the blocks collected into larger chunks that two
// other threads hash while the copy goes on, or the copying thread itself when
// no thread can be started. With the whole hash one thread hashes the pieces
// and the other the whole; without it the two take the pieces in turn (piece
// k on one, piece k+1 on the other), so neither core waits for the other.
std::unique_ptr<CopyHasher> MakeCopyHasher(size_t largestBlock, bool whole, PieceBytesObserver observer = {});

// The hashes computed by the copying thread, block by block.
std::unique_ptr<CopyHasher> MakeInlineCopyHasher(size_t largestBlock, bool whole, PieceBytesObserver observer = {});
