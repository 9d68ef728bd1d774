#include "RecoveryWriter.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <mutex>
#include <thread>
#include <unistd.h>

#include "Gf16.h"

namespace par2 {
namespace {

constexpr const char* kCreator = "Carver " CARVER_VERSION;

IoStatus ReadExactly(int fd, uint64_t pos, char* out, size_t size, const std::string& path)
{
    while (size > 0) {
        const ssize_t n = ::pread(fd, out, size, static_cast<off_t>(pos));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return IoStatus::FromErrno(errno).About(path);
        if (n == 0) return IoStatus::Failure(N_("ﾌｧｲﾙが途中で終わっています")).About(path);
        out += n;
        pos += static_cast<uint64_t>(n);
        size -= static_cast<size_t>(n);
    }
    return IoStatus::Success();
}

IoStatus WriteExactly(int fd, uint64_t pos, const void* data, size_t size, const std::string& path)
{
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, p, size, static_cast<off_t>(pos));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return IoStatus::FromErrno(errno).About(path);
        p += n;
        pos += static_cast<uint64_t>(n);
        size -= static_cast<size_t>(n);
    }
    return IoStatus::Success();
}

// Created or emptied; a symlink at the path is not followed, nor is anything
// but a regular file written.
IoStatus CreateOutput(const std::string& path, int& fd)
{
    fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0644);
    if (fd < 0) return (errno == ELOOP || errno == ENXIO ? IoStatus::Failure(kNotRegularFile) : IoStatus::FromErrno(errno)).About(path);
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        fd = -1;
        return IoStatus::Failure(kNotRegularFile).About(path);
    }
    if (::ftruncate(fd, 0) != 0) {
        const int error = errno;
        ::close(fd);
        fd = -1;
        return IoStatus::FromErrno(error).About(path);
    }
    return IoStatus::Success();
}

IoStatus CloseOutput(int fd, const std::string& path)
{
    return ::close(fd) == 0 ? IoStatus::Success() : IoStatus::FromErrno(errno).About(path);
}

// Cancelled: the run was stopped (a failure elsewhere or the user).
const char* const kStopped = "";

IoStatus DescribeOne(const InputFile& in, uint64_t sliceSize, Described& out, std::atomic<uint64_t>& done,
                     const std::function<bool()>& goOn)
{
    const int fd = ::open(in.bytes.path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return IoStatus::FromErrno(errno).About(in.bytes.path);
    std::vector<char> block(1 << 20);
    Md5 whole, first16k, slice;
    uint32_t crc = 0;
    uint64_t inSlice = 0;
    IoStatus status = IoStatus::Success();
    auto endSlice = [&] {
        const std::vector<char> zeros(static_cast<size_t>(std::min<uint64_t>(sliceSize - inSlice, 1 << 20)));
        for (uint64_t left = sliceSize - inSlice; left > 0;) {  // padding, as the recovery code sees it
            const size_t n = static_cast<size_t>(std::min<uint64_t>(left, zeros.size()));
            slice.Update(zeros.data(), n);
            crc = Crc32Of(crc, zeros.data(), n);
            left -= n;
        }
        out.slices.push_back({slice.Finish(), crc});
        slice = Md5();
        crc = 0;
        inSlice = 0;
    };
    // A file of one slice (a piece of a split set) is hashed once: its slice's
    // hash is the file's, continued over the padding. MD5 is the slowest part.
    const bool oneSlice = in.bytes.length <= sliceSize;
    for (uint64_t pos = 0; pos < in.bytes.length && status;) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>({block.size(), in.bytes.length - pos, sliceSize - inSlice}));
        status = ReadExactly(fd, in.bytes.offset + pos, block.data(), n, in.bytes.path);
        if (!status) break;
        whole.Update(block.data(), n);
        if (pos < kFirst16k) first16k.Update(block.data(), static_cast<size_t>(std::min<uint64_t>(n, kFirst16k - pos)));
        if (!oneSlice) slice.Update(block.data(), n);
        crc = Crc32Of(crc, block.data(), n);
        inSlice += n;
        pos += n;
        done += n;
        if (inSlice == sliceSize && !oneSlice) endSlice();
        if (!goOn()) status = IoStatus::Failure(kStopped);
    }
    ::close(fd);
    if (!status) return status;
    if (oneSlice) slice = whole;
    if (inSlice > 0) endSlice();
    out.file.name = in.name;
    out.file.length = in.bytes.length;
    out.file.hash = whole.Finish();
    out.file.hash16k = first16k.Finish();
    out.file.fileId = FileIdOf(out.file.hash16k, out.file.length, out.file.name);
    return IoStatus::Success();
}

IoStatus Assemble(const std::vector<InputFile>& inputs, uint64_t sliceSize, const std::vector<Described>& described,
                  RecoveryDescription& out);

}  // namespace

IoStatus DescribeInputs(const std::vector<InputFile>& inputs, uint64_t sliceSize, RecoveryDescription& out,
                        unsigned threads, const CombineProgress& progress)
{
    std::vector<Described> described(inputs.size());
    std::atomic<uint64_t> done{0};
    std::atomic<size_t> next{0};
    std::atomic<bool> stop{false};
    std::mutex failureLock;
    IoStatus failure = IoStatus::Success();
    uint64_t total = 0;
    for (const InputFile& in : inputs) total += in.bytes.length;
    // Only the calling thread reports progress (a window's yield runs there).
    auto work = [&](bool reports) {
        const std::function<bool()> goOn = [&] {
            if (reports && progress && !progress(done, total)) stop = true;
            return !stop.load();
        };
        for (size_t i; !stop && (i = next++) < inputs.size();) {
            if (IoStatus st = DescribeOne(inputs[i], sliceSize, described[i], done, goOn); !st) {
                std::lock_guard lock(failureLock);
                if (failure || failure.Description().empty()) failure = std::move(st);
                stop = true;
            }
        }
    };
    std::vector<std::thread> helpers;
    for (unsigned t = 1; t < std::max(1u, threads); ++t) helpers.emplace_back(work, false);
    work(true);
    for (std::thread& h : helpers) h.join();
    if (!failure) return failure;
    return Assemble(inputs, sliceSize, described, out);
}

namespace {

// The description of inputs whose hashes are taken.
IoStatus Assemble(const std::vector<InputFile>& inputs, uint64_t sliceSize, const std::vector<Described>& described,
                  RecoveryDescription& out)
{
    RecoveryDescription d;
    d.sliceSize = sliceSize;
    std::vector<Md5Digest> ids;
    size_t sliceCount = 0;
    for (const Described& x : described) {
        ids.push_back(x.file.fileId);
        sliceCount += x.slices.size();
    }
    if (sliceCount > kMaxInputSlices) return IoStatus::Failure("too many slices");
    const std::string main = MainBody(sliceSize, ids);
    d.setId = Md5Of(main);
    std::vector<size_t> order(described.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return described[a].file.fileId < described[b].file.fileId; });
    d.criticalPackets = MakePacket(d.setId, PacketType::kMain, main);
    for (size_t i : order) {
        const Described& x = described[i];
        d.files.push_back(x.file);
        d.slices.push_back(x.slices);
        for (uint64_t s = 0; s < x.slices.size(); ++s) {
            const uint64_t start = s * sliceSize;
            d.sliceSources.push_back({inputs[i].bytes.path, inputs[i].bytes.offset + start,
                                      std::min(sliceSize, x.file.length - start)});
        }
        d.criticalPackets += MakePacket(d.setId, PacketType::kFileDesc, FileDescBody(x.file));
        d.criticalPackets += MakePacket(d.setId, PacketType::kIfsc, IfscBody(x.file.fileId, x.slices));
    }
    d.criticalPackets += MakePacket(d.setId, PacketType::kCreator, CreatorBody(kCreator));
    out = std::move(d);
    return IoStatus::Success();
}

}  // namespace

struct StreamedDescriptions::Open {
    Md5 whole, first16k;
    uint32_t crc = 0;
    uint64_t length = 0;
};

StreamedDescriptions::StreamedDescriptions(size_t files, uint64_t sliceSize)
    : sliceSize_(sliceSize), open_(files), described_(files), ended_(files, false)
{
}

StreamedDescriptions::~StreamedDescriptions() = default;

void StreamedDescriptions::Feed(size_t file, const void* data, size_t size, bool ends)
{
    if (file >= open_.size() || ended_[file]) return;
    if (!open_[file]) open_[file] = std::make_unique<Open>();
    Open& o = *open_[file];
    if (o.length < kFirst16k) o.first16k.Update(data, static_cast<size_t>(std::min<uint64_t>(size, kFirst16k - o.length)));
    o.whole.Update(data, size);
    o.crc = Crc32Of(o.crc, data, size);
    o.length += size;
    if (!ends) return;
    Described& x = described_[file];
    // The slice is the file padded with zeros, as the recovery code sees it.
    Md5 slice = o.whole;
    const std::vector<char> zeros(static_cast<size_t>(sliceSize_ > o.length ? sliceSize_ - o.length : 0));
    slice.Update(zeros.data(), zeros.size());
    x.slices.push_back({slice.Finish(), Crc32Of(o.crc, zeros.data(), zeros.size())});
    x.file.length = o.length;
    x.file.hash = o.whole.Finish();
    x.file.hash16k = o.first16k.Finish();
    open_[file].reset();
    ended_[file] = true;
}

IoStatus StreamedDescriptions::Describe(const std::vector<InputFile>& inputs, RecoveryDescription& out)
{
    if (inputs.size() != described_.size()) return IoStatus::FromErrno(EINVAL);
    for (size_t i = 0; i < inputs.size(); ++i) {
        Described& x = described_[i];
        // A file that was not seen whole is described from itself.
        if (!ended_[i] || x.file.length != inputs[i].bytes.length || x.file.length > sliceSize_) {
            std::atomic<uint64_t> done{0};
            x = {};
            if (IoStatus st = DescribeOne(inputs[i], sliceSize_, x, done, [] { return true; }); !st) return st;
            continue;
        }
        x.file.name = inputs[i].name;
        x.file.fileId = FileIdOf(x.file.hash16k, x.file.length, x.file.name);
    }
    return Assemble(inputs, sliceSize_, described_, out);
}

IoStatus WriteIndexFile(const RecoveryDescription& d, const std::string& path)
{
    int fd = -1;
    if (IoStatus st = CreateOutput(path, fd); !st) return st;
    IoStatus st = WriteExactly(fd, 0, d.criticalPackets.data(), d.criticalPackets.size(), path);
    IoStatus closed = CloseOutput(fd, path);
    return st ? std::move(closed) : std::move(st);
}

uint64_t VolumeFileSize(const RecoveryDescription& d, const Volume& v)
{
    return v.count * (kRecoveryHeaderSize + d.sliceSize) + d.criticalPackets.size();
}

uint64_t IndexFileSizeFor(const std::vector<std::string>& fileNames)
{
    uint64_t size = kHeaderSize + MainBody(0, std::vector<Md5Digest>(fileNames.size())).size();
    const uint64_t checksums = kHeaderSize + IfscBody({}, std::vector<SliceChecksum>(1)).size();
    for (const std::string& name : fileNames) {
        FileDescription file;
        file.name = name;
        size += kHeaderSize + FileDescBody(file).size() + checksums;
    }
    return size + kHeaderSize + CreatorBody(kCreator).size();
}

IoStatus WriteVolumes(const RecoveryDescription& d, const std::vector<Volume>& volumes,
                      const std::vector<std::string>& paths, const CombineLimits& limits,
                      const CombineProgress& progress)
{
    struct Output {
        size_t file;
        uint64_t at;  // the packet's start in its file
        uint32_t exponent;
        Md5 hash;
    };
    std::vector<int> fds(volumes.size(), -1);
    auto closeAll = [&] {
        IoStatus first = IoStatus::Success();
        for (size_t i = 0; i < fds.size(); ++i)
            if (fds[i] >= 0) {
                IoStatus st = CloseOutput(fds[i], paths[i]);
                if (first && !st) first = std::move(st);
                fds[i] = -1;
            }
        return first;
    };
    std::vector<Output> outputs;
    Combination c;
    c.sliceSize = d.sliceSize;
    c.sources = d.sliceSources;
    std::vector<uint16_t> constants(d.sliceSources.size());
    for (size_t k = 0; k < constants.size(); ++k) constants[k] = InputConstant(static_cast<uint32_t>(k));
    for (size_t v = 0; v < volumes.size(); ++v) {
        if (IoStatus st = CreateOutput(paths[v], fds[v]); !st) {
            IgnoreResult(closeAll());
            for (size_t made = 0; made < v; ++made) ::unlink(paths[made].c_str());
            return st;
        }
        for (uint32_t i = 0; i < volumes[v].count; ++i) {
            const uint32_t e = volumes[v].firstExponent + i;
            outputs.push_back({v, i * (kRecoveryHeaderSize + d.sliceSize), e, RecoveryPacketHash(d.setId, e)});
            std::vector<uint16_t>& row = c.factors.emplace_back(constants.size());
            for (size_t k = 0; k < constants.size(); ++k) row[k] = GfPower(constants[k], e);
        }
    }
    IoStatus st = Combine(
        c,
        [&](size_t o, uint64_t offset, const uint8_t* data, size_t size) {
            Output& out = outputs[o];
            out.hash.Update(data, size);
            return WriteExactly(fds[out.file], out.at + kRecoveryHeaderSize + offset, data, size, paths[out.file]);
        },
        limits, progress);
    for (size_t o = 0; st && o < outputs.size(); ++o) {
        Output& out = outputs[o];
        const std::string header = RecoveryPacketHeader(d.setId, out.exponent, d.sliceSize, out.hash.Finish());
        st = WriteExactly(fds[out.file], out.at, header.data(), header.size(), paths[out.file]);
    }
    for (size_t v = 0; st && v < volumes.size(); ++v)
        st = WriteExactly(fds[v], volumes[v].count * (kRecoveryHeaderSize + d.sliceSize), d.criticalPackets.data(),
                          d.criticalPackets.size(), paths[v]);
    IoStatus closed = closeAll();
    if (st && closed) return closed;
    for (size_t v = 0; v < volumes.size(); ++v) ::unlink(paths[v].c_str());
    return st ? std::move(closed) : std::move(st);
}

}  // namespace par2
