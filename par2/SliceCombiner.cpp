#include "SliceCombiner.h"

#include <algorithm>
#include <barrier>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <memory>
#include <sys/mman.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "GfRegion.h"

namespace par2 {
namespace {

constexpr size_t kBatchInputs = 16;       // sources read before the outputs are worked on
constexpr size_t kCacheBlock = 16 << 10;  // the part of an output kept in the first-level cache

struct AlignedFree {
    void operator()(uint8_t* p) const { std::free(p); }
};
using Buffer = std::unique_ptr<uint8_t[], AlignedFree>;

constexpr size_t kHugePage = 2 << 20;

// Large buffers in whole huge pages where the system gives them: the first
// touch of 32 MiB in small pages is 8192 page faults, a fifth of a second
// of one core in a virtual machine.
Buffer Allocate(size_t bytes)
{
    const bool huge = bytes >= kHugePage;
    const size_t size = huge ? (bytes + kHugePage - 1) / kHugePage * kHugePage : std::max<size_t>(bytes, 64);
    void* p = std::aligned_alloc(huge ? kHugePage : 64, size);
    if (p == nullptr) throw std::bad_alloc();
    if (huge) ::madvise(p, size, MADV_HUGEPAGE);  // advice only: small pages serve as well
    std::memset(p, 0, size);
    return Buffer(static_cast<uint8_t*>(p));
}

// Source files stay open across chunks, up to a limit on descriptors.
class SourceFiles {
public:
    ~SourceFiles() { CloseAll(); }

    IoStatus Read(const SliceSource& s, uint64_t from, uint8_t* out, size_t size)
    {
        int fd = -1;
        if (IoStatus st = Open(s.path, fd); !st) return std::move(st).About(s.path);
        uint64_t pos = s.offset + from;
        while (size > 0) {
            const ssize_t n = ::pread(fd, out, size, static_cast<off_t>(pos));
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) return IoStatus::FromErrno(errno).About(s.path);
            if (n == 0) return IoStatus::Failure(N_("ﾌｧｲﾙが途中で終わっています")).About(s.path);
            out += n;
            pos += static_cast<uint64_t>(n);
            size -= static_cast<size_t>(n);
        }
        return IoStatus::Success();
    }

private:
    IoStatus Open(const std::string& path, int& fd)
    {
        if (auto it = open_.find(path); it != open_.end()) {
            fd = it->second;
            return IoStatus::Success();
        }
        if (open_.size() >= 256) CloseAll();
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) return IoStatus::FromErrno(errno);
        struct stat st;
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(fd);
            return IoStatus::Failure(kNotRegularFile);
        }
        open_.emplace(path, fd);
        return IoStatus::Success();
    }
    void CloseAll()
    {
        for (const auto& [path, fd] : open_) ::close(fd);
        open_.clear();
    }
    std::map<std::string, int> open_;
};

}  // namespace

IoStatus Combine(const Combination& c, const CombineSink& sink, const CombineLimits& limits,
                 const CombineProgress& progress)
{
    const size_t outputs = c.factors.size();
    const size_t sources = c.sources.size();
    if (outputs == 0 || c.sliceSize == 0) return IoStatus::Success();
    const RegionKernels& k = BestKernels();
    const size_t batch = std::max<size_t>(1, std::min(kBatchInputs, sources));
    const uint64_t sliceBlocks = (c.sliceSize + kRegionBlock - 1) / kRegionBlock;
    const uint64_t budgetBlocks = limits.memoryBytes / kRegionBlock / (outputs + batch);
    const size_t chunk = static_cast<size_t>(std::clamp<uint64_t>(budgetBlocks, 1, sliceBlocks)) * kRegionBlock;
    const unsigned threads = std::max(1u, limits.threads);

    Buffer accumulators = Allocate(outputs * chunk);
    Buffer inputs = Allocate(batch * chunk);
    const uint64_t total = sources * c.sliceSize;
    uint64_t done = 0;
    // Each thread writes only its own status; the barrier's completion, run
    // while every thread waits, decides for all whether they go on.
    std::vector<IoStatus> failures(threads);
    bool cancelled = false, halt = false;
    const auto decide = [&]() noexcept {
        halt = cancelled || std::any_of(failures.begin(), failures.end(), [](const IoStatus& f) { return !f; });
    };
    std::barrier step(static_cast<std::ptrdiff_t>(threads), decide);

    // Every thread reads and packs its share of each batch of sources (the
    // reads from the page cache cost about a third of the products), then
    // works on its share of the outputs: thread t owns sources and outputs
    // t, t + threads, …
    auto work = [&](unsigned t) {
        SourceFiles files;
        std::vector<MulTable> tables;
        std::vector<const uint8_t*> rows(batch);
        for (uint64_t offset = 0; offset < c.sliceSize; offset += chunk) {
            const size_t bytes = static_cast<size_t>(std::min<uint64_t>(chunk, c.sliceSize - offset));
            const size_t blocks = (bytes + kRegionBlock - 1) / kRegionBlock * kRegionBlock;
            for (size_t o = t; o < outputs; o += threads) std::memset(accumulators.get() + o * chunk, 0, blocks);
            for (size_t first = 0; first < sources; first += batch) {
                const size_t count = std::min(batch, sources - first);
                for (size_t b = t; b < count && failures[t]; b += threads) {
                    const SliceSource& s = c.sources[first + b];
                    uint8_t* slot = inputs.get() + b * chunk;
                    const size_t have =
                        offset < s.length ? static_cast<size_t>(std::min<uint64_t>(bytes, s.length - offset)) : 0;
                    std::memset(slot + have, 0, blocks - have);
                    failures[t] = files.Read(s, offset, slot, have);
                    k.toPacked(slot, slot, blocks);
                }
                step.arrive_and_wait();
                if (halt) return;
                // A cache block of the batch's inputs (in the second-level
                // cache) serves all the thread's outputs in turn, so the
                // inputs come from memory once per thread, not once per output.
                tables.clear();
                for (size_t o = t; o < outputs; o += threads)
                    for (size_t b = 0; b < count; ++b) tables.push_back(MulTableFor(c.factors[o][first + b]));
                for (size_t at = 0; at < blocks; at += kCacheBlock) {
                    const size_t n = std::min(kCacheBlock, blocks - at);
                    for (size_t b = 0; b < count; ++b) rows[b] = inputs.get() + b * chunk + at;
                    for (size_t o = t, own = 0; o < outputs; o += threads, ++own)
                        k.mulAdd(accumulators.get() + o * chunk + at, rows.data(), tables.data() + own * count, count,
                                 n);
                }
                step.arrive_and_wait();  // the batch's inputs are free again
                if (t == 0) {
                    done += count * bytes;
                    if (progress && !progress(done, total)) cancelled = true;
                }
            }
            for (size_t o = t; o < outputs && failures[t]; o += threads) {
                uint8_t* words = accumulators.get() + o * chunk;
                k.fromPacked(words, words, blocks);
                failures[t] = sink(o, offset, words, bytes);
            }
            step.arrive_and_wait();
            if (halt) return;
        }
    };
    std::vector<std::thread> helpers;
    for (unsigned t = 1; t < threads; ++t) helpers.emplace_back(work, t);
    work(0);
    for (std::thread& h : helpers) h.join();
    for (IoStatus& f : failures)
        if (!f) return std::move(f);
    return cancelled ? IoStatus::Failure("") : IoStatus::Success();
}

}  // namespace par2
