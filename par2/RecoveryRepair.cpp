#include "RecoveryRepair.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

#include "Gf16.h"

namespace par2 {
namespace {

constexpr size_t kSpareRows = 16;  // recovery slices beyond the count lost, tried when a choice is singular

IoStatus CheckSlices(const SliceSource& bytes, uint64_t sliceSize, const std::vector<SliceChecksum>& sums,
                     std::vector<bool>& good, uint64_t& done, uint64_t total, const CombineProgress& progress)
{
    good.assign(sums.size(), false);
    const int fd = ::open(bytes.path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return IoStatus::Success();  // a file that cannot be opened is lost
    struct stat st;
    const uint64_t size = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) ? static_cast<uint64_t>(st.st_size) : 0;
    std::vector<char> block(1 << 20);
    IoStatus status = IoStatus::Success();
    for (size_t s = 0; s < sums.size() && status; ++s) {
        const uint64_t start = s * sliceSize;
        const uint64_t length = std::min(sliceSize, bytes.length - start);
        if (bytes.offset + start + length > size) break;  // cut short: this slice and the rest are lost
        Md5 md5;
        bool read = true;
        for (uint64_t at = 0; at < sliceSize && read;) {
            const size_t n = static_cast<size_t>(std::min<uint64_t>(block.size(), sliceSize - at));
            const size_t have = at < length ? static_cast<size_t>(std::min<uint64_t>(n, length - at)) : 0;
            std::fill(block.begin() + static_cast<ptrdiff_t>(have), block.begin() + static_cast<ptrdiff_t>(n), 0);
            for (size_t got = 0; got < have;) {
                const ssize_t r = ::pread(fd, block.data() + got, have - got, static_cast<off_t>(bytes.offset + start + at + got));
                if (r < 0 && errno == EINTR) continue;
                if (r <= 0) {
                    read = false;  // unreadable (a bad sector): the slice is lost
                    break;
                }
                got += static_cast<size_t>(r);
            }
            md5.Update(block.data(), n);
            at += n;
            done += have;
        }
        good[s] = read && md5.Finish() == sums[s].md5;
        if (progress && !progress(done, total)) status = IoStatus::Failure("");
    }
    ::close(fd);
    return status;
}

}  // namespace

bool SolveMissing(uint32_t inputCount, const std::vector<uint32_t>& missing, const std::vector<uint32_t>& exponents,
                  std::vector<std::vector<uint16_t>>& factors, std::vector<uint32_t>& used)
{
    const size_t n = missing.size();
    const size_t rows = std::min(exponents.size(), n + kSpareRows);
    if (rows < n) return false;
    // a[j] · (lost slices) = recovery slice j + the known inputs' share; t records the rows combined.
    std::vector<std::vector<uint16_t>> a(rows, std::vector<uint16_t>(n)), t(rows, std::vector<uint16_t>(rows));
    for (size_t j = 0; j < rows; ++j) {
        t[j][j] = 1;
        for (size_t m = 0; m < n; ++m) a[j][m] = GfPower(InputConstant(missing[m]), exponents[j]);
    }
    for (size_t m = 0; m < n; ++m) {
        size_t p = m;
        while (p < rows && a[p][m] == 0) ++p;
        if (p == rows) return false;
        std::swap(a[p], a[m]);
        std::swap(t[p], t[m]);
        const uint16_t scale = GfDivide(1, a[m][m]);
        for (uint16_t& x : a[m]) x = GfMultiply(x, scale);
        for (uint16_t& x : t[m]) x = GfMultiply(x, scale);
        for (size_t i = 0; i < rows; ++i) {
            const uint16_t f = a[i][m];
            if (i == m || f == 0) continue;
            for (size_t x = 0; x < n; ++x) a[i][x] ^= GfMultiply(f, a[m][x]);
            for (size_t x = 0; x < rows; ++x) t[i][x] ^= GfMultiply(f, t[m][x]);
        }
    }
    // Rows 0..n-1 are combinations of the original rows that ended there as pivots only.
    std::vector<size_t> usedRows;
    for (size_t j = 0; j < rows; ++j)
        for (size_t m = 0; m < n; ++m)
            if (t[m][j] != 0) {
                usedRows.push_back(j);
                break;
            }
    used.clear();
    for (size_t j : usedRows) used.push_back(exponents[j]);
    std::vector<bool> isMissing(inputCount, false);
    for (uint32_t k : missing) isMissing[k] = true;
    factors.assign(n, {});
    std::vector<uint16_t> powers(usedRows.size());
    for (uint32_t k = 0; k < inputCount; ++k) {
        if (isMissing[k]) continue;
        for (size_t u = 0; u < usedRows.size(); ++u) powers[u] = GfPower(InputConstant(k), exponents[usedRows[u]]);
        for (size_t m = 0; m < n; ++m) {
            uint16_t sum = 0;
            for (size_t u = 0; u < usedRows.size(); ++u) sum ^= GfMultiply(t[m][usedRows[u]], powers[u]);
            factors[m].push_back(sum);
        }
    }
    for (size_t m = 0; m < n; ++m)
        for (size_t j : usedRows) factors[m].push_back(t[m][j]);
    return true;
}

IoStatus PlanRepair(const RecoverySet& set, const std::vector<RepairFile>& inputs, RepairPlan& plan,
                    const CombineProgress& progress)
{
    plan = RepairPlan{};
    std::map<std::string, int> byName;
    for (size_t i = 0; i < inputs.size(); ++i) byName.emplace(inputs[i].name, static_cast<int>(i));
    uint64_t total = 0, done = 0;
    for (const RepairFile& f : inputs)
        if (f.present && !f.vouched) total += f.bytes.length;
    for (const Md5Digest& id : set.fileIds) {
        const FileDescription& file = set.files.at(id);
        const std::vector<SliceChecksum>& sums = set.checksums.at(id);
        plan.files.push_back(&file);
        const auto it = byName.find(file.name);
        plan.inputIndex.push_back(it == byName.end() ? -1 : it->second);
        std::vector<bool>& good = plan.goodSlices.emplace_back(sums.size(), false);
        if (it != byName.end() && inputs[it->second].present && inputs[it->second].vouched) {
            good.assign(sums.size(), true);
        } else if (it != byName.end() && inputs[it->second].present) {
            SliceSource bytes = inputs[it->second].bytes;
            bytes.length = file.length;
            if (IoStatus st = CheckSlices(bytes, set.sliceSize, sums, good, done, total, progress); !st) return st;
        }
        plan.badSlices += static_cast<uint64_t>(std::count(good.begin(), good.end(), false));
    }
    plan.recoverySlices = set.recovery.size();
    return IoStatus::Success();
}

IoStatus Repair(const RecoverySet& set, const std::vector<RepairFile>& inputs, const RepairPlan& plan,
                const CombineLimits& limits, const CombineProgress& progress)
{
    struct Lost {
        size_t file;
        uint64_t start;  // in the file
        uint64_t length;
        Md5 md5;
    };
    std::vector<uint32_t> missing;
    std::vector<Lost> lost;
    std::vector<SliceSource> known;
    uint32_t k = 0;
    for (size_t f = 0; f < plan.files.size(); ++f) {
        const FileDescription& file = *plan.files[f];
        for (size_t s = 0; s < plan.goodSlices[f].size(); ++s, ++k) {
            const uint64_t start = s * set.sliceSize, length = std::min(set.sliceSize, file.length - start);
            if (plan.goodSlices[f][s]) {
                const SliceSource& at = inputs[static_cast<size_t>(plan.inputIndex[f])].bytes;
                known.push_back({at.path, at.offset + start, length});
            } else {
                if (plan.inputIndex[f] < 0) return IoStatus::Failure("no place for " + file.name);
                missing.push_back(k);
                lost.push_back({f, start, length, Md5()});
            }
        }
    }
    if (missing.empty()) return IoStatus::Success();
    std::vector<uint32_t> exponents;
    for (const auto& [e, ref] : set.recovery) exponents.push_back(e);
    Combination c;
    c.sliceSize = set.sliceSize;
    std::vector<uint32_t> used;
    if (!SolveMissing(k, missing, exponents, c.factors, used)) return IoStatus::Failure("recovery matrix is singular");
    c.sources = std::move(known);
    for (uint32_t e : used) c.sources.push_back({set.recovery.at(e).path, set.recovery.at(e).offset, set.sliceSize});

    // The files written are opened first: the combination writes from its threads.
    std::map<std::string, int> targets;
    IoStatus st = IoStatus::Success();
    for (const Lost& l : lost) {
        const std::string& path = inputs[static_cast<size_t>(plan.inputIndex[l.file])].target.path;
        if (targets.contains(path) || !st) continue;
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0644);
        struct stat info;
        if (fd < 0) st = IoStatus::FromErrno(errno).About(path);
        else if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) st = IoStatus::Failure(kNotRegularFile).About(path);
        if (fd >= 0) targets.emplace(path, fd);
    }
    if (st)
        st = Combine(
            c,
            [&](size_t o, uint64_t offset, const uint8_t* data, size_t size) -> IoStatus {
                Lost& l = lost[o];
                l.md5.Update(data, size);
                if (offset >= l.length) return IoStatus::Success();
                const SliceSource& target = inputs[static_cast<size_t>(plan.inputIndex[l.file])].target;
                const int fd = targets.at(target.path);
                const char* p = reinterpret_cast<const char*>(data);
                size_t left = static_cast<size_t>(std::min<uint64_t>(size, l.length - offset));
                uint64_t pos = target.offset + l.start + offset;
                while (left > 0) {
                    const ssize_t n = ::pwrite(fd, p, left, static_cast<off_t>(pos));
                    if (n < 0 && errno == EINTR) continue;
                    if (n < 0) return IoStatus::FromErrno(errno).About(target.path);
                    p += n;
                    pos += static_cast<uint64_t>(n);
                    left -= static_cast<size_t>(n);
                }
                return IoStatus::Success();
            },
            limits, progress);
    for (const auto& [path, fd] : targets)
        if (::close(fd) != 0 && st) st = IoStatus::FromErrno(errno).About(path);
    if (!st) return st;
    for (Lost& l : lost) {
        const FileDescription& file = *plan.files[l.file];
        const SliceChecksum& sum = set.checksums.at(file.fileId)[l.start / set.sliceSize];
        if (l.md5.Finish() != sum.md5) return IoStatus::Failure(N_("ﾌｧｲﾙを修復できません")).About(file.name);
    }
    return IoStatus::Success();
}

}  // namespace par2
