#include "SplitEngine.h"

#include <algorithm>
#include <cerrno>
#include <optional>
#include <sys/stat.h>
#include <vector>

#include "BlockPlan.h"
#include "CarverPlatform.h"
#include "CopyHasher.h"
#include "DestinationDrive.h"
#include "DiskPrompt.h"
#include "DiskSpace.h"
#include "FileTimeCopy.h"
#include "Files.h"
#include "JoinBatch.h"
#include "Manifest.h"
#include "NumberFormat.h"
#include "SourceGuard.h"
#include "SplitSet.h"

namespace modCarver {

bool CancelRequested = false;

std::string DiskQuestion(int64_t k)
{
    if (k == 1) return "１枚目のﾃﾞｨｽｸをｾｯﾄして下さい";
    return FullWidthDigits(k) + " 枚目のﾃﾞｨｽｸをｾｯﾄして下さい";
}

std::string PieceCountQuestion(int64_t pieceCount)
{
    return "分割数は " + PieceRangeText(pieceCount) + " の " + FullWidthDigits(pieceCount) + " です";
}

namespace {

// A step either lets the run go on (nothing) or ends it with SplitFile's result.
using Ending = std::optional<bool>;
constexpr Ending kGoOn = std::nullopt;

// What a removable disk keeps free beside its piece: a block for the
// manifest, and a block because pieces after the first are the split size
// rounded up to whole blocks, up to one block more than the figure the disk
// questions measure.
constexpr int64_t kManifestRoom = 2 * kBlockSize;

class SplitRun {
public:
    SplitRun(SplitterWindow& window, UiServices& ui, const std::string& sourcePath,
             const std::string& destinationFolder, double splitSize)
        : window_(window), ui_(ui), drives_(*Platform().drives), source_(sourcePath),
          folder_(destinationFolder), splitSize_(splitSize), names_(SplitSetNamesFor(sourcePath, destinationFolder)),
          buffer_(kBlockSize)
    {
    }

    bool Run();

private:
    Ending FullPiece(int64_t k);
    Ending FinalPiece(int64_t k);
    Ending WritePiece(int64_t k, int64_t plannedBytes, bool untilSourceEnds);
    Ending CopyBlocks(int64_t k, int64_t plannedBytes, bool untilSourceEnds, int64_t& written);
    Ending DiskCheck();
    Ending EndOfDisk(int64_t k);
    double Room() const { return removable_ && makeManifest_ ? kManifestRoom : 0; }
    IoStatus CheckBeforeWriting();
    IoStatus WriteSetDescription();
    void StartPlan(double firstDiskFree);
    MsgAnswer Ask(const std::string& question);
    void DeleteExisting(const std::string& path);

    // The ways a run ends.
    bool Declined();
    bool GaveUpBeforePiece();
    bool GaveUpAtDiskCheck();
    bool CancelledDuringCopy();
    bool Failed(const IoStatus& status);
    bool Completed();

    SplitterWindow& window_;
    UiServices& ui_;
    Drives& drives_;
    const std::string source_;
    const std::string folder_;
    const double splitSize_;
    const SplitSetNames names_;

    bool setDate_ = false;
    bool makeBatch_ = false;
    bool makeManifest_ = false;
    bool removable_ = false;
    std::string rootAtStart_;
    std::string root_;
    PieceCounts counts_;
    std::optional<PiecePlan> plan_;

    int64_t totalBlocks_ = 1;
    int64_t blocksCopied_ = 0;
    int64_t finishedBytes_ = 0;  // bytes in the pieces already closed
    int64_t remaining_ = 0;      // bytes left, as computed before the last block
    BinaryReader sourceFile_;
    BinaryWriter pieceFile_;
    std::vector<char> buffer_;
    // Hashes every block as it is copied, when the set gets its manifests.
    std::unique_ptr<CopyHasher> hasher_;
    int64_t firstPieceOnDisk_ = 1;
};

bool SplitRun::Run()
{
    setDate_ = window_.SetDateChecked();
    makeBatch_ = window_.BatchMakeChecked();
    makeManifest_ = window_.ManifestWanted();

    removable_ = drives_.IsRemovable(folder_);
    rootAtStart_ = DriveRootText(drives_, folder_);
    counts_ = ComputePieceCounts(FileLength(source_), splitSize_);
    const std::string range = PieceRangeText(counts_.pieceCount);
    window_.SetPieceRange(range);
    ui_.Yield();

    if (Ask(PieceCountQuestion(counts_.pieceCount)) == MsgAnswer::Cancel) return Declined();
    if (removable_ && Ask(DiskQuestion(1)) == MsgAnswer::Cancel) return Declined();

    window_.StatusBox().Show();
    CancelRequested = false;
    blocksCopied_ = 0;
    totalBlocks_ = counts_.sourceLength / kBlockSize + 1;
    DrawProgress(window_.StatusBox(), 0.0f, true);

    if (setDate_) CaptureFileTimes(source_);
    if (IoStatus s = sourceFile_.Open(source_); !s) return Failed(s);
    if (counts_.pieceCount > 0) {
        if (IoStatus s = CheckBeforeWriting(); !s) return Failed(s);
    }
    if (makeManifest_) hasher_ = MakeCopyHasher(kBlockSize);

    for (int64_t k = 1; k <= counts_.fullPieces; ++k) {
        if (Ending end = FullPiece(k)) return *end;
    }
    if (counts_.remainder > 0) {
        if (Ending end = FinalPiece(counts_.fullPieces + 1)) return *end;
    }
    return Completed();
}

IoStatus SplitRun::CheckBeforeWriting()
{
    if (counts_.pieceCount > INT32_MAX) return IoStatus::Failure("分割数が多すぎます");
    // On a fixed drive a missing folder fails here, before anything is
    // written. On a removable drive it means the disk is not in (yet); the
    // disk-space question takes care of that.
    if (!removable_) {
        struct stat st;
        if (::stat(folder_.c_str(), &st) != 0) return IoStatus::FromErrno(errno);
        if (!S_ISDIR(st.st_mode)) return IoStatus::FromErrno(ENOTDIR);
    }
    root_ = DriveRootText(drives_, folder_);
    if (root_.empty()) root_ = rootAtStart_;
    return CheckSourceIsSpared(source_, names_, counts_.pieceCount, makeBatch_);
}

Ending SplitRun::FullPiece(int64_t k)
{
    if (removable_ && k > 1 && Ask(DiskQuestion(k)) == MsgAnswer::Cancel) return GaveUpBeforePiece();
    if (EnsureDiskSpace(window_, ui_, folder_, splitSize_ + Room()) != kDiskSpaceOk) return GaveUpBeforePiece();
    if (k == 1) {
        if (IoStatus s = WriteSetDescription(); !s) return Failed(s);
        DeleteExisting(names_.PiecePath(1));
        // Measured now, with the join-info and batch files on the disk and an
        // old piece 001 and manifest gone.
        StartPlan(FreeBytesForPiece(DriveRootText(drives_, folder_)) - Room());
    } else {
        if (removable_) DeleteExisting(names_.ManifestPath());
        DeleteExisting(names_.PiecePath(static_cast<int32_t>(k)));
    }
    return WritePiece(k, plan_->PieceBytes(k), false);
}

Ending SplitRun::FinalPiece(int64_t k)
{
    if (removable_ && k > 1 && Ask(DiskQuestion(k)) == MsgAnswer::Cancel) return GaveUpBeforePiece();
    if (remaining_ == 0) remaining_ = sourceFile_.Length();
    clsPrivate& figure = PrivateInstance();
    figure.DiskTotalSize(FreeBytesForPiece(folder_));
    if (figure.DiskTotalSize() < static_cast<double>(remaining_) + Room() &&
        EnsureDiskSpace(window_, ui_, folder_, splitSize_ + Room()) != kDiskSpaceOk)
        return GaveUpAtDiskCheck();
    if (k == 1) {
        if (IoStatus s = WriteSetDescription(); !s) return Failed(s);
        StartPlan(0);
    } else if (removable_) {
        DeleteExisting(names_.ManifestPath());
    }
    DeleteExisting(names_.PiecePath(static_cast<int32_t>(k)));
    return WritePiece(k, plan_->PieceBytes(k), true);
}

void SplitRun::StartPlan(double firstDiskFree)
{
    plan_.emplace(counts_, firstDiskFree);
    // A plan that ends pieces with short blocks takes more blocks than the
    // source has; the progress must still end at the end.
    totalBlocks_ = std::max(totalBlocks_, plan_->BlockCount());
}

IoStatus SplitRun::WriteSetDescription()
{
    const std::string joinInfo = names_.JoinInfoPath();
    DeleteExisting(joinInfo);
    // A manifest of an earlier set would fail the new pieces; it goes even
    // when this set gets none.
    DeleteExisting(names_.ManifestPath());
    if (IoStatus s = WriteJoinInfo(joinInfo, static_cast<int32_t>(counts_.pieceCount), names_.sourceName); !s)
        return s;
    if (setDate_) ApplyFileTimes(joinInfo);
    if (makeBatch_) return WriteJoinBatch(window_, folder_, source_, static_cast<int32_t>(counts_.pieceCount));
    return IoStatus::Success();
}

Ending SplitRun::WritePiece(int64_t k, int64_t plannedBytes, bool untilSourceEnds)
{
    const std::string path = names_.PiecePath(static_cast<int32_t>(k));
    if (IoStatus s = pieceFile_.Create(path); !s) return Failed(s);
    int64_t written = 0;
    if (Ending end = CopyBlocks(k, plannedBytes, untilSourceEnds, written)) return end;
    // The last blocks reach the file when it is closed: a failure there is a
    // write failure like any other.
    if (IoStatus s = pieceFile_.Close(); !s) return Failed(s);
    if (hasher_) hasher_->EndPiece();
    if (setDate_) ApplyFileTimes(path);
    if (Ending end = DiskCheck()) return end;
    if (Ending end = EndOfDisk(k)) return end;
    finishedBytes_ += written;
    return kGoOn;
}

Ending SplitRun::CopyBlocks(int64_t k, int64_t plannedBytes, bool untilSourceEnds, int64_t& written)
{
    const int64_t sourceLength = sourceFile_.Length();
    const std::string counter = " (" + std::to_string(k) + "/" + std::to_string(counts_.pieceCount) + ")";
    while (untilSourceEnds || written < plannedBytes) {
        ++blocksCopied_;
        DrawProgress(window_.StatusBox(),
                     static_cast<float>(static_cast<double>(blocksCopied_) / static_cast<double>(totalBlocks_)));
        remaining_ = sourceLength - finishedBytes_ - written;
        window_.SetStatusText("残り " + std::to_string(remaining_) + counter);
        ui_.Yield();

        int64_t size = std::min(kBlockSize, plannedBytes - written);
        bool last = false;
        if (untilSourceEnds) {
            // A remaining figure of exactly one block makes one last full block.
            last = remaining_ <= kBlockSize;
            size = last ? std::max<int64_t>(remaining_, 0) : kBlockSize;
        }
        const std::span<char> block = hasher_ ? hasher_->NextBlock(static_cast<size_t>(size))
                                              : std::span<char>(buffer_.data(), static_cast<size_t>(size));
        if (IoStatus s = sourceFile_.Read(block); !s) return Failed(s);
        if (IoStatus s = pieceFile_.Write(block); !s) return Failed(s);
        if (hasher_) hasher_->BlockFilled();
        written += size;
        if (last) break;
        if (CancelRequested) return CancelledDuringCopy();
    }
    return kGoOn;
}

Ending SplitRun::DiskCheck()
{
    window_.SetStatusText(kDiskCheckStatus);
    ui_.Yield();
    while (!DestinationDiskPresent(drives_, folder_, root_)) {
        if (Ask(kDiskRemoved) == MsgAnswer::Cancel) return GaveUpAtDiskCheck();
        if (EnsureDiskSpace(window_, ui_, folder_, splitSize_) != kDiskSpaceOk) return GaveUpAtDiskCheck();
    }
    return kGoOn;
}

// The manifest of the disk that ends with piece k, once that piece is closed
// and the disk is still in: on a removable drive every disk ends with its
// piece, on a fixed one the last piece ends the only disk.
Ending SplitRun::EndOfDisk(int64_t k)
{
    if (!hasher_ || (!removable_ && k < counts_.pieceCount)) return kGoOn;
    std::vector<Sha256Digest> digests;
    if (IoStatus s = hasher_->TakePieceDigests(digests); !s) return Failed(s);
    std::vector<ManifestEntry> entries;
    for (size_t i = 0; i < digests.size(); ++i)
        entries.push_back({names_.PieceFileName(static_cast<int32_t>(firstPieceOnDisk_ + static_cast<int64_t>(i))),
                           HexOf(digests[i])});
    // The whole source goes next to the last piece, unless its name is one of
    // the set's own (a source x.001 split elsewhere): one line could not check
    // both files.
    if (k == counts_.pieceCount && !names_.IsOwnFileName(names_.sourceName, counts_.pieceCount)) {
        Sha256Digest whole;
        if (IoStatus s = hasher_->WholeDigest(whole); !s) return Failed(s);
        entries.push_back({names_.sourceName, HexOf(whole)});
    }
    const std::string path = names_.ManifestPath();
    if (IoStatus s = WriteManifest(path, entries); !s) return Failed(s);
    if (setDate_) ApplyFileTimes(path);
    firstPieceOnDisk_ = k + 1;
    return kGoOn;
}

MsgAnswer SplitRun::Ask(const std::string& question)
{
    return ui_.MessageBox(question, MsgButtons::OkCancel, MsgIcon::Warning);
}

void SplitRun::DeleteExisting(const std::string& path)
{
    // A deletion that fails shows up when the new file cannot be created.
    if (FileExists(path)) IgnoreResult(DeleteFile(path));
}

bool SplitRun::Declined()
{
    window_.SetPieceRange("");
    return true;
}

bool SplitRun::GaveUpBeforePiece()
{
    sourceFile_.Close();
    window_.SetPieceRange("");
    ui_.Yield();
    return true;
}

bool SplitRun::GaveUpAtDiskCheck()
{
    sourceFile_.Close();
    return true;
}

bool SplitRun::CancelledDuringCopy()
{
    sourceFile_.Close();
    // What was written of the piece stays; a failure to write it out now
    // changes nothing about the cancel.
    IgnoreResult(pieceFile_.Close());
    window_.StatusBox().Hide();
    window_.SetPieceRange("");
    window_.SetStatusText("");
    ui_.Yield();
    return true;
}

bool SplitRun::Failed(const IoStatus& status)
{
    sourceFile_.Close();
    IgnoreResult(pieceFile_.Close());  // the run has failed already
    window_.StatusBox().Hide();
    window_.SetPieceRange("");
    window_.SetStatusText("");
    ui_.Yield();
    ui_.MessageBox(std::string(kSplitFailed) + kCrLf + status.Description(), MsgButtons::Ok, MsgIcon::Stop);
    return false;
}

bool SplitRun::Completed()
{
    sourceFile_.Close();
    window_.StatusBox().Hide();
    window_.SetPieceRange("");
    window_.SetStatusText("");
    ui_.Yield();
    return true;
}

}  // namespace

bool SplitFile(SplitterWindow& window, UiServices& ui, const std::string& sourcePath,
               const std::string& destinationFolder, double splitSize)
{
    SplitRun run(window, ui, sourcePath, destinationFolder, splitSize);
    return run.Run();
}

}  // namespace modCarver
