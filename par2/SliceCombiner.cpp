#include "SliceCombiner.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <memory>
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

Buffer Allocate(size_t bytes)
{
    void* p = std::aligned_alloc(64, std::max<size_t>(bytes, 64));
    if (p == nullptr) throw std::bad_alloc();
    std::memset(p, 0, std::max<size_t>(bytes, 64));
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
    const uint64_t budgetBlocks = limits.memoryBytes / kRegionBlock / (outputs + batch + 1);
    const size_t chunk = static_cast<size_t>(std::clamp<uint64_t>(budgetBlocks, 1, sliceBlocks)) * kRegionBlock;
    const unsigned threads = std::max(1u, std::min<unsigned>(limits.threads, static_cast<unsigned>(outputs)));

    Buffer accumulators = Allocate(outputs * chunk);
    Buffer inputs = Allocate(batch * chunk);
    Buffer plain = Allocate(chunk);
    SourceFiles files;
    uint64_t done = 0;
    const uint64_t total = sources * c.sliceSize;

    for (uint64_t offset = 0; offset < c.sliceSize; offset += chunk) {
        const size_t bytes = static_cast<size_t>(std::min<uint64_t>(chunk, c.sliceSize - offset));
        const size_t blocks = (bytes + kRegionBlock - 1) / kRegionBlock * kRegionBlock;
        std::memset(accumulators.get(), 0, outputs * chunk);
        for (size_t first = 0; first < sources; first += batch) {
            const size_t count = std::min(batch, sources - first);
            for (size_t b = 0; b < count; ++b) {
                const SliceSource& s = c.sources[first + b];
                const size_t have = offset < s.length ? static_cast<size_t>(std::min<uint64_t>(bytes, s.length - offset)) : 0;
                std::memset(plain.get() + have, 0, blocks - have);
                if (IoStatus st = files.Read(s, offset, plain.get(), have); !st) return st;
                k.toPacked(inputs.get() + b * chunk, plain.get(), blocks);
                done += bytes;
            }
            // Each thread owns every threads-th output; the batch of inputs is
            // shared, read-only. A cache block of the batch's inputs (in the
            // second-level cache) serves all the thread's outputs in turn, so
            // the inputs come from memory once per thread, not once per output.
            auto work = [&](unsigned t) {
                struct Term {
                    size_t output, input;
                    MulTable table;
                };
                std::vector<Term> terms;  // by output, so that its accumulator stays in the first-level cache
                for (size_t o = t; o < outputs; o += threads)
                    for (size_t b = 0; b < count; ++b)
                        if (const uint16_t f = c.factors[o][first + b]; f != 0) terms.push_back({o, b, MulTableFor(f)});
                for (size_t at = 0; at < blocks; at += kCacheBlock) {
                    const size_t n = std::min(kCacheBlock, blocks - at);
                    for (const Term& x : terms)
                        k.mulAdd(accumulators.get() + x.output * chunk + at, inputs.get() + x.input * chunk + at, n,
                                 x.table);
                }
            };
            std::vector<std::thread> helpers;
            for (unsigned t = 1; t < threads; ++t) helpers.emplace_back(work, t);
            work(0);
            for (std::thread& h : helpers) h.join();
            if (progress && !progress(done, total)) return IoStatus::Failure("");
        }
        for (size_t o = 0; o < outputs; ++o) {
            k.fromPacked(plain.get(), accumulators.get() + o * chunk, blocks);
            if (IoStatus st = sink(o, offset, plain.get(), bytes); !st) return st;
        }
    }
    return IoStatus::Success();
}

}  // namespace par2
