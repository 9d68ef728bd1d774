#include "JoinRecovery.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include "VolumeNames.h"

namespace modMender {
namespace {

// Copies `size` bytes at `from` of one file to `to` of another.
IoStatus CopyRange(const std::string& source, uint64_t from, int target, const std::string& targetPath, uint64_t to,
                   uint64_t size)
{
    const int fd = ::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return IoStatus::FromErrno(errno).About(source);
    std::vector<char> block(1 << 20);
    IoStatus status = IoStatus::Success();
    for (uint64_t done = 0; done < size && status;) {
        const ssize_t n = ::pread(fd, block.data(), std::min<uint64_t>(block.size(), size - done),
                                  static_cast<off_t>(from + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            status = n == 0 ? IoStatus::Failure(N_("ﾌｧｲﾙが途中で終わっています")).About(source)
                            : IoStatus::FromErrno(errno).About(source);
            break;
        }
        for (ssize_t put = 0; put < n && status;) {
            const ssize_t w = ::pwrite(target, block.data() + put, static_cast<size_t>(n - put),
                                       static_cast<off_t>(to + done + static_cast<uint64_t>(put)));
            if (w < 0 && errno == EINTR) continue;
            if (w < 0) status = IoStatus::FromErrno(errno).About(targetPath);
            else put += w;
        }
        done += static_cast<uint64_t>(n);
    }
    ::close(fd);
    return status;
}

}  // namespace

std::vector<std::string> RecoveryFilesIn(const std::string& folder, const std::string& base)
{
    std::vector<std::string> found;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* e = ::readdir(dir))
            if (par2::IsRecoveryFileName(e->d_name, base)) found.push_back(folder + e->d_name);
        ::closedir(dir);
    }
    const std::string index = folder + par2::IndexFileName(base);
    std::sort(found.begin(), found.end(), [&](const std::string& a, const std::string& b) {
        return (a == index) != (b == index) ? a == index : a < b;
    });
    return found;
}

namespace {

std::string QuotedNames(std::vector<std::string> names)
{
    std::sort(names.begin(), names.end());
    std::string list;
    for (const std::string& name : names)
        list = list.empty() ? TrFormat(N_("「{1}」"), {name}) : TrFormat(N_("{1}「{2}」"), {list, name});
    return list;
}

}  // namespace

IoStatus LackingRecoveryData(std::vector<std::string> lost, uint64_t lacking)
{
    return IoStatus::Failure(TrFormat(N_("{1}を修復できません　修復用ﾃﾞｰﾀがあと {2} ｽﾗｲｽ必要です"),
                                      {QuotedNames(std::move(lost)), std::to_string(lacking)}));
}

IoStatus NoRecoveryData(std::vector<std::string> lost, const std::string& indexName)
{
    return IoStatus::Failure(
        TrFormat(N_("{1}を修復できません　修復用ﾃﾞｰﾀ「{2}」がありません"), {QuotedNames(std::move(lost)), indexName}));
}

std::optional<JoinRecovery> JoinRecovery::Find(const std::string& folder, const SplitSetNames& names, int32_t count)
{
    const std::string index = folder + par2::IndexFileName(names.baseName);
    if (!FileExists(index)) return std::nullopt;
    JoinRecovery r;
    r.baseName_ = names.baseName;
    r.set_ = par2::ReadRecoveryFiles({index});
    if (!r.set_.Complete()) r.set_ = par2::ReadRecoveryFiles(RecoveryFilesIn(folder, names.baseName));
    r.set_.recovery.clear();
    if (!r.set_.Complete() || r.set_.fileIds.size() != static_cast<size_t>(count)) return std::nullopt;
    for (int32_t k = 1; k <= count; ++k) {
        const std::string name = names.PieceFileName(k);
        if (std::none_of(r.set_.files.begin(), r.set_.files.end(), [&](const auto& f) { return f.second.name == name; }))
            return std::nullopt;
        r.pieceNames_.push_back(name);
    }
    return r;
}

int64_t JoinRecovery::PieceLength(int32_t k) const
{
    for (const auto& [id, f] : set_.files)
        if (f.name == pieceNames_.at(static_cast<size_t>(k - 1))) return static_cast<int64_t>(f.length);
    return -1;
}

uint64_t JoinRecovery::SlicesOf(int32_t k) const
{
    for (const auto& [id, f] : set_.files)
        if (f.name == pieceNames_.at(static_cast<size_t>(k - 1))) return set_.checksums.at(id).size();
    return 0;
}

IoStatus JoinRecovery::TakeVolumes(const std::string& folder, const std::string& spoolPath, uint64_t& added)
{
    added = 0;
    int spool = -1;
    IoStatus status = IoStatus::Success();
    for (const std::string& path : RecoveryFilesIn(folder, baseName_)) {
        // Every volume carries the set's critical packets, so it names its set alone.
        const par2::RecoverySet volume = par2::ReadRecoveryFiles({path});
        if (!volume.hasMain || volume.setId != set_.setId || volume.sliceSize != set_.sliceSize) continue;
        for (const auto& [exponent, ref] : volume.recovery) {
            if (set_.recovery.count(exponent) != 0) continue;
            if (spoolPath.empty()) {
                set_.recovery.emplace(exponent, ref);
            } else {
                if (spool < 0) {
                    spool = ::open(spoolPath.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
                    if (spool < 0) return IoStatus::FromErrno(errno).About(spoolPath);
                }
                // Slices already spooled lie before, one after another.
                uint64_t at = 0;
                for (const auto& [e, r] : set_.recovery)
                    if (r.path == spoolPath) at += set_.sliceSize;
                status = CopyRange(ref.path, ref.offset, spool, spoolPath, at, set_.sliceSize);
                if (!status) break;
                set_.recovery.emplace(exponent, par2::RecoverySliceRef{exponent, spoolPath, at});
            }
            ++added;
        }
        if (!status) break;
    }
    if (spool >= 0 && ::close(spool) != 0 && status) status = IoStatus::FromErrno(errno).About(spoolPath);
    return status;
}

IoStatus JoinRecovery::Check(const std::string& rebuiltPath, const std::vector<int64_t>& lengths,
                             const std::vector<bool>& holes, const std::vector<bool>& vouched,
                             const par2::CombineProgress& progress)
{
    inputs_.clear();
    uint64_t at = 0;
    for (size_t i = 0; i < pieceNames_.size(); ++i) {
        const auto length = static_cast<uint64_t>(PieceLength(static_cast<int32_t>(i + 1)));
        // The index of another set than the one whose pieces were joined.
        if (i >= lengths.size() || lengths[i] != static_cast<int64_t>(length))
            return IoStatus::Failure(N_("ﾌｧｲﾙを修復できません")).About(pieceNames_[i]);
        const par2::SliceSource bytes{rebuiltPath, at, length};
        inputs_.push_back({pieceNames_[i], !holes[i], bytes, bytes, vouched[i] && !holes[i]});
        at += length;
    }
    return par2::PlanRepair(set_, inputs_, plan_, progress);
}

uint64_t JoinRecovery::Lacking() const
{
    return plan_.badSlices > RecoverySlices() ? plan_.badSlices - RecoverySlices() : 0;
}

IoStatus JoinRecovery::LackingFailure() const
{
    std::vector<std::string> lost;
    for (size_t f = 0; f < plan_.files.size(); ++f)
        if (std::count(plan_.goodSlices[f].begin(), plan_.goodSlices[f].end(), false) > 0)
            lost.push_back(plan_.files[f]->name);
    return LackingRecoveryData(lost, Lacking());
}

IoStatus JoinRecovery::Fill(std::vector<std::string>& rebuilt, const par2::CombineProgress& progress)
{
    plan_.recoverySlices = RecoverySlices();
    if (!plan_.Enough()) return LackingFailure();
    if (IoStatus s = par2::Repair(set_, inputs_, plan_, {}, progress); !s) return s;
    for (size_t f = 0; f < plan_.files.size(); ++f)
        if (std::count(plan_.goodSlices[f].begin(), plan_.goodSlices[f].end(), false) > 0)
            rebuilt.push_back(plan_.files[f]->name);
    std::sort(rebuilt.begin(), rebuilt.end());
    return IoStatus::Success();
}

}  // namespace modMender
