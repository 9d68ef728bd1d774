#include "SplitRecovery.h"

#include <algorithm>

#include "BlockPlan.h"
#include "DiskPrompt.h"
#include "DiskSpace.h"
#include "Paths.h"
#include "ProgressPicture.h"
#include "SharedTexts.h"
#include "SplitEngine.h"
#include "Translation.h"

namespace modCarver {
namespace {

constexpr const char* kMakingRecoveryData = N_("修復用ﾃﾞｰﾀ {1}%");

// One slice per piece: the largest piece, in whole 4-byte words.
uint64_t SliceSizeFor(const std::vector<int64_t>& pieceBytes)
{
    const int64_t largest = pieceBytes.empty() ? 0 : *std::max_element(pieceBytes.begin(), pieceBytes.end());
    return std::max<uint64_t>(4, (static_cast<uint64_t>(largest) + 3) / 4 * 4);
}

int64_t WholeBlocks(uint64_t bytes)
{
    return static_cast<int64_t>((bytes + kBlockSize - 1) / kBlockSize * kBlockSize);
}

}  // namespace

int64_t SplitRecovery::IndexRoom(const SplitSetNames& names, int64_t pieceCount)
{
    std::vector<std::string> pieces;
    for (int64_t k = 1; k <= pieceCount; ++k) pieces.push_back(names.PieceFileName(static_cast<int32_t>(k)));
    return WholeBlocks(par2::IndexFileSizeFor(pieces));
}

bool SplitRecovery::Progress(double share)
{
    DrawProgress(window_.StatusBox(), static_cast<float>(share));
    window_.SetStatusText(TrFormat(kMakingRecoveryData, {std::to_string(static_cast<int>(share * 100))}));
    ui_.Yield();
    return !CancelRequested;
}

SplitRecovery::Outcome SplitRecovery::Ended(IoStatus status, IoStatus& failure)
{
    if (status) return Outcome::Written;
    if (status.Description().empty()) return Outcome::Stopped;  // cancelled
    failure = std::move(status);
    return Outcome::Failed;
}

IoStatus SplitRecovery::DescribePieces(const SplitSetNames& names, const std::vector<int64_t>& pieceBytes)
{
    std::vector<par2::InputFile> inputs;
    uint64_t offset = 0;
    for (size_t i = 0; i < pieceBytes.size(); ++i) {
        const auto length = static_cast<uint64_t>(pieceBytes[i]);
        inputs.push_back({names.PieceFileName(static_cast<int32_t>(i + 1)), {source_, offset, length}});
        offset += length;
    }
    window_.StatusBox().Show();
    return par2::DescribeInputs(inputs, SliceSizeFor(pieceBytes), description_, 2, [this](uint64_t done, uint64_t total) {
        return Progress(static_cast<double>(done) / static_cast<double>(std::max<uint64_t>(total, 1)));
    });
}

IoStatus SplitRecovery::WriteIndex(const SplitSetNames& names)
{
    const std::string path = names.folder + par2::IndexFileName(names.baseName);
    IoStatus s = par2::WriteIndexFile(description_, path);
    if (s) disk_.Written(path);
    return s;
}

PieceBytesObserver SplitRecovery::Observer()
{
    return [this](uint64_t piece, std::span<const char> bytes, bool ends) {
        if (streamed_) streamed_->Feed(piece, bytes.data(), bytes.size(), ends);
    };
}

void SplitRecovery::ExpectPieces(const std::vector<int64_t>& pieceBytes)
{
    streamed_.emplace(pieceBytes.size(), SliceSizeFor(pieceBytes));
}

SplitRecovery::Outcome SplitRecovery::WriteBesidePieces(const SplitSetNames& names, int64_t pieceCount,
                                                        IoStatus& failure)
{
    window_.StatusBox().Show();
    const auto progress = [this](double share) { return Progress(share); };
    std::vector<par2::InputFile> inputs;
    uint64_t sliceSize = 0;
    // Pieces of other sizes than planned (a source that changed) are read again.
    if (!streamed_ || !PieceInputs(names, pieceCount, inputs, sliceSize) || sliceSize != streamed_->SliceSize())
        return Ended(WriteRecoveryData(names, pieceCount, slices_, progress), failure);
    IoStatus s = streamed_->Describe(inputs, description_);
    if (s) s = WriteDescribedRecoveryData(names, description_, slices_, progress);
    return Ended(std::move(s), failure);
}

// A disk that takes volumes and had no piece: recovery files of the name that
// this run did not write belong to another set and are asked about, then go.
SplitRecovery::Outcome SplitRecovery::ClaimRecoveryDisk(const SplitSetNames& names, IoStatus& failure)
{
    std::vector<std::string> earlier;
    for (const std::string& path : ExistingRecoveryFiles(names)) {
        if (IsNonRegularEntry(path)) return Ended(IoStatus::Failure(kNotRegularFile).About(path), failure);
        if (!disk_.WrittenByThisRun(path)) earlier.push_back(path);
    }
    if (earlier.empty()) return Outcome::Written;
    if (ui_.MessageBox(TrFormat(kSplitOverwriteQuestion, {FileNameOf(earlier.front())}), MsgButtons::YesNo,
                       MsgIcon::Warning) != MsgAnswer::Yes)
        return Outcome::Stopped;
    for (const std::string& path : earlier) IgnoreResult(DeleteFile(path));
    return Outcome::Written;
}

SplitRecovery::Outcome SplitRecovery::WriteVolumesOnDisks(int64_t lastPieceDisk, IoStatus& failure)
{
    const std::vector<par2::Volume> volumes = par2::SingleSliceVolumes(slices_);
    const int64_t volumeRoom = WholeBlocks(par2::VolumeFileSize(description_, volumes.front()));
    const int64_t indexRoom = WholeBlocks(description_.criticalPackets.size());
    size_t next = 0;
    int64_t disk = lastPieceDisk;
    bool pieceDisk = true;  // the last piece's disk has its index already
    while (next < volumes.size()) {
        const int64_t extra = (pieceDisk ? 0 : indexRoom) + kBlockSize;
        disk_.Locate();
        const std::string root = disk_.Root();
        const double free = root.empty() ? 0 : FreeBytesForPiece(root);
        const auto fit = static_cast<size_t>(std::clamp<double>((free - static_cast<double>(extra)) / static_cast<double>(volumeRoom),
                                                                0, static_cast<double>(volumes.size() - next)));
        if (fit == 0 && !pieceDisk &&
            EnsureDiskSpace(window_, ui_, disk_, static_cast<double>(volumeRoom + extra), source_) != kDiskSpaceOk)
            return Outcome::Stopped;
        if (fit > 0) {
            const SplitSetNames names = SplitSetNamesFor(source_, disk_.Current());
            if (!pieceDisk) {
                if (const Outcome claimed = ClaimRecoveryDisk(names, failure); claimed != Outcome::Written) return claimed;
            }
            const std::vector<par2::Volume> these(volumes.begin() + static_cast<std::ptrdiff_t>(next),
                                                  volumes.begin() + static_cast<std::ptrdiff_t>(next + fit));
            // Named as among all the set's volumes (the digits of the whole count).
            const std::vector<std::string> all = par2::VolumeFileNames(names.baseName, volumes);
            std::vector<std::string> paths;
            for (size_t v = next; v < next + fit; ++v) paths.push_back(names.folder + all[v]);
            const double before = static_cast<double>(next) / static_cast<double>(volumes.size());
            const double share = static_cast<double>(fit) / static_cast<double>(volumes.size());
            IoStatus s = par2::WriteVolumes(description_, these, paths, {}, [&](uint64_t done, uint64_t total) {
                return Progress(before + share * static_cast<double>(done) / static_cast<double>(std::max<uint64_t>(total, 1)));
            });
            if (s) {
                for (const std::string& path : paths) disk_.Written(path);
                if (!pieceDisk) s = WriteIndex(names);
            }
            if (s) s = disk_.Flush();
            if (!s) return Ended(std::move(s), failure);
            next += fit;
        }
        if (next == volumes.size() || (fit == 0 && !pieceDisk)) continue;
        // The next disk, numbered on from the last piece's.
        if (IoStatus s = disk_.NextDisk(); !s) return Ended(std::move(s), failure);
        if (ui_.MessageBox(DiskQuestion(++disk), MsgButtons::OkCancel, MsgIcon::Warning) == MsgAnswer::Cancel)
            return Outcome::Stopped;
        pieceDisk = false;
    }
    return Outcome::Written;
}

}  // namespace modCarver
