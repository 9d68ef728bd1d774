#include "SetRepair.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <map>

#include "JoinRecovery.h"
#include "JoinSteps.h"
#include "Manifest.h"
#include "Paths.h"
#include "RecoveryRepair.h"
#include "SplitSet.h"
#include "VolumeNames.h"
#include "modMender.h"

namespace modMender {
namespace {

std::string TempPathFor(const std::string& folder, const std::string& name) { return folder + "." + name + ".mender-rebuild"; }

IoStatus CopyFile(const std::string& from, const std::string& to)
{
    BinaryReader in;
    BinaryWriter out;
    if (IoStatus s = in.Open(from); !s) return s;
    if (IoStatus s = out.Create(to); !s) return s;
    std::vector<char> block(1 << 20);
    for (int64_t left = in.Length(); left > 0;) {
        const std::span<char> part(block.data(), static_cast<size_t>(std::min<int64_t>(left, block.size())));
        if (IoStatus s = in.Read(part); !s) return s;
        if (IoStatus s = out.Write(part); !s) return s;
        left -= static_cast<int64_t>(part.size());
    }
    return out.Close();
}

}  // namespace

std::vector<std::string> RecoveryFilesOfSet(const std::string& joinInfoPath)
{
    JoinInfo info;
    if (!ReadJoinInfo(joinInfoPath, info) || !IsPlainFileName(info.sourceName)) return {};
    const std::string folder = WithBackslash(FolderOf(joinInfoPath));
    return RecoveryFilesIn(folder, SplitSetNamesFor(folder + info.sourceName, folder).baseName);
}

SetRepairResult RepairSetBeforeJoin(const std::string& joinInfoPath, std::vector<std::string>& rebuilt,
                                    IoStatus& failure, const std::function<bool(double)>& progress)
{
    const std::vector<std::string> files = RecoveryFilesOfSet(joinInfoPath);
    if (files.empty()) return SetRepairResult::NothingToDo;
    JoinInfo info;
    if (!ReadJoinInfo(joinInfoPath, info)) return SetRepairResult::NothingToDo;  // the join says why
    const auto count = ValidPieceCount(info.countLine);
    if (!count) return SetRepairResult::NothingToDo;
    const std::string folder = WithBackslash(FolderOf(joinInfoPath));
    const SplitSetNames names = SplitSetNamesFor(folder + info.sourceName, folder);

    // The index alone tells the pieces' lengths; the volumes are read only when needed.
    par2::RecoverySet set = par2::ReadRecoveryFiles({files.front()});
    if (!set.Complete()) set = par2::ReadRecoveryFiles(files);
    if (!set.Complete()) return SetRepairResult::NothingToDo;
    std::map<std::string, uint64_t> lengths;  // by name
    for (const auto& [id, f] : set.files) lengths.emplace(f.name, f.length);
    bool whole = true, covered = true;
    for (int32_t k = 1; k <= *count; ++k) {
        const auto it = lengths.find(names.PieceFileName(k));
        if (it == lengths.end()) covered = false;
        else if (FileLength(names.PiecePath(k)) != static_cast<int64_t>(it->second)) whole = false;
    }
    // Recovery data of other files (an older set) cannot speak for these pieces.
    if (!covered) return SetRepairResult::NothingToDo;
    if (whole && FileExists(ManifestPathFor(joinInfoPath))) return SetRepairResult::NothingToDo;
    if (set.recovery.empty() && files.size() > 1) set = par2::ReadRecoveryFiles(files);

    // With a manifest, a piece of its right length is checked during the join:
    // it is taken as good here, unread, unless the rebuilt bytes then do not match.
    const bool manifest = FileExists(ManifestPathFor(joinInfoPath));
    std::vector<par2::RepairFile> inputs;
    for (const auto& [id, f] : set.files) {
        if (!IsPlainFileName(f.name)) continue;
        const std::string path = folder + f.name;
        const bool present = FileExists(path);
        inputs.push_back({f.name, present, {path, 0, f.length}, {TempPathFor(folder, f.name), 0, f.length},
                          manifest && present && FileLength(path) == static_cast<int64_t>(f.length)});
    }
    auto share = [&](double from) {
        return [&progress, from](uint64_t done, uint64_t total) {
            return !progress || progress(from + 0.5 * static_cast<double>(done) / static_cast<double>(std::max<uint64_t>(total, 1)));
        };
    };
    std::vector<size_t> damaged;  // indices into inputs
    // Rebuilt beside the piece, its good slices copied first; the piece is
    // replaced only once the rebuilt bytes matched.
    auto dropTemps = [&] {
        for (size_t i : damaged) IgnoreResult(DeleteFile(inputs[i].target.path));
    };
    for (;;) {
        par2::RepairPlan plan;
        if (IoStatus s = par2::PlanRepair(set, inputs, plan, share(0)); !s)
            return s.Description().empty() ? SetRepairResult::Cancelled : (failure = s, SetRepairResult::Failed);
        if (plan.badSlices == 0) return SetRepairResult::Whole;
        damaged.clear();
        std::vector<std::string> lost;
        for (size_t f = 0; f < plan.files.size(); ++f)
            if (std::count(plan.goodSlices[f].begin(), plan.goodSlices[f].end(), false) > 0) {
                lost.push_back(plan.files[f]->name);
                if (plan.inputIndex[f] >= 0) damaged.push_back(static_cast<size_t>(plan.inputIndex[f]));
            }
        if (!plan.Enough()) {
            failure = LackingRecoveryData(lost, plan.badSlices - plan.recoverySlices).About(joinInfoPath);
            return SetRepairResult::Failed;
        }
        for (size_t i : damaged) {
            if (IoStatus s = inputs[i].present ? CopyFile(inputs[i].bytes.path, inputs[i].target.path)
                                               : BinaryWriter().Create(inputs[i].target.path);
                !s)
                return dropTemps(), failure = s, SetRepairResult::Failed;
        }
        IoStatus s = par2::Repair(set, inputs, plan, {}, share(0.5));
        if (s) break;
        dropTemps();
        if (s.Description().empty()) return SetRepairResult::Cancelled;
        const bool trusted = std::any_of(inputs.begin(), inputs.end(), [](const par2::RepairFile& f) { return f.vouched; });
        if (!trusted) return failure = s, SetRepairResult::Failed;
        // A piece taken as good was damaged: once more, every piece read.
        for (par2::RepairFile& f : inputs) f.vouched = false;
    }
    for (size_t i : damaged) {
        const par2::RepairFile& r = inputs[i];
        BinaryWriter cut;
        IoStatus s = cut.OpenLocked(r.target.path, true);
        if (s) s = cut.TruncateTo(static_cast<int64_t>(r.bytes.length));
        if (s) s = cut.Sync();
        if (s) s = cut.Close();
        if (s && std::rename(r.target.path.c_str(), r.bytes.path.c_str()) != 0) s = IoStatus::FromErrno(errno).About(r.bytes.path);
        if (!s) return dropTemps(), failure = s, SetRepairResult::Failed;
        rebuilt.push_back(r.name);
    }
    std::sort(rebuilt.begin(), rebuilt.end());  // told in the pieces' order
    IgnoreResult(SyncPath(folder));
    return SetRepairResult::Rebuilt;
}

}  // namespace modMender
