#include "SplitEngine.h"

#include <algorithm>
#include <cerrno>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "BatchText.h"
#include "BlockPlan.h"
#include "BlockRuns.h"
#include "CarverPlatform.h"
#include "CopyHasher.h"
#include "DestinationDrive.h"
#include "DiskFolder.h"
#include "DiskPrompt.h"
#include "DiskSpace.h"
#include "FileTimeCopy.h"
#include "Files.h"
#include "JoinBatch.h"
#include "Manifest.h"
#include "NumberFormat.h"
#include "Paths.h"
#include "SharedTexts.h"
#include "SourceGuard.h"
#include "SplitRecovery.h"
#include "SplitSet.h"

namespace modCarver {

bool CancelRequested = false;

std::string DiskQuestion(int64_t k)
{
    if (k == 1) return Tr(kFirstDiskQuestion);
    return TrFormat(kDiskQuestion, {std::to_string(k)});
}

std::string PieceCountQuestion(int64_t pieceCount)
{
    return TrFormat(kPieceCountQuestion, {PieceRangeText(pieceCount), std::to_string(pieceCount)});
}

std::string OverwriteQuestion(const std::string& fileName) { return TrFormat(kSplitOverwriteQuestion, {fileName}); }

namespace {

constexpr const char* kEmptySource = N_("ﾌｧｲﾙが空です");
constexpr const char* kNameCannotBeWritten = N_("ﾌｧｲﾙ名に連結情報ﾌｧｲﾙに書けない文字 (制御文字) があります");
constexpr const char* kFileTooLargeThere = N_("このﾌｫﾙﾀﾞに置けるﾌｧｲﾙは {1} ﾊﾞｲﾄまでです");

bool HoldsControlCharacter(const std::string& name)
{
    return std::any_of(name.begin(), name.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x7F;
    });
}

// A step either lets the run go on (nothing) or ends it with SplitFile's result.
using Ending = std::optional<bool>;
constexpr Ending kGoOn = std::nullopt;

// What a removable disk keeps free beside piece k: the blocks of its
// manifest, which holds the lines of pieces 1 to k (each at most the digits,
// two spaces, the escape mark and a name whose every byte is escaped), and a
// block because pieces after the first are the split size rounded up to whole
// blocks, up to one block more than the figure the disk questions measure.
int64_t ManifestRoom(int64_t k, const std::string& pieceName)
{
    const int64_t line = 64 + 2 + 1 + 2 * static_cast<int64_t>(pieceName.size()) + 1;
    return (k * line + kBlockSize - 1) / kBlockSize * kBlockSize + kBlockSize;
}

class SplitRun {
public:
    SplitRun(SplitterWindow& window, UiServices& ui, const std::string& sourcePath,
             const std::string& destinationFolder, double splitSize)
        : window_(window), ui_(ui), drives_(*Platform().drives), source_(sourcePath),
          folder_(destinationFolder), splitSize_(splitSize), names_(SplitSetNamesFor(sourcePath, destinationFolder))
    {
    }

    bool Run();

private:
    Ending FullPiece(int64_t k);
    Ending FinalPiece(int64_t k);
    Ending WritePiece(int64_t k, int64_t plannedBytes, bool untilSourceEnds);
    Ending CopyBlocks(int64_t k, int64_t plannedBytes, bool untilSourceEnds, int64_t& written);
    Ending DiskCheck();
    Ending AskForDisk(int64_t k);
    void UseFolderOnDisk();
    Ending EndOfDisk(int64_t k);
    // What a removable disk keeps free beside piece k: its manifest and the
    // recovery index.
    double Room(int64_t k) const
    {
        if (!removable_) return 0;
        const int64_t manifest = makeManifest_ ? ManifestRoom(k, names_.PieceFileName(static_cast<int32_t>(k))) : 0;
        return static_cast<double>(manifest + (recovery_ ? indexRoom_ : 0));
    }
    Ending DescribeForDisks();
    Ending RecoveryAfterPieces();
    Ending ClaimDisk(int64_t k);
    std::vector<std::string> FilesOnDisk(int64_t k) const;
    void DeleteEarlierSet();
    IoStatus CheckSource();
    IoStatus CheckNameLength() const;
    IoStatus CheckBeforeWriting();
    IoStatus CheckFileSizeLimit(const std::string& folder);
    IoStatus WriteSetDescription();
    void StartPlan(double firstDiskFree);
    MsgAnswer Ask(const std::string& question);
    void DeleteExisting(const std::string& path);

    // The ways a run ends.
    bool Declined();
    bool Refused();
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
    SplitSetNames names_;  // in the folder on the present disk

    bool setDate_ = false;
    bool makeBatch_ = false;
    bool makeManifest_ = false;
    bool removable_ = false;
    std::optional<DiskFolder> disk_;
    PieceCounts counts_;
    std::optional<PiecePlan> plan_;

    int64_t totalBlocks_ = 1;
    int64_t blocksCopied_ = 0;
    int64_t finishedBytes_ = 0;  // bytes in the pieces already closed
    int64_t remaining_ = 0;      // bytes left, as computed before the last block
    int64_t piecesWritten_ = 0;
    BinaryReader sourceFile_;
    BinaryWriter pieceFile_;
    // Held while the first disk is written (the whole run on a fixed drive): a
    // join of this set, or a second split into it, stops before it changes anything.
    FileLock joinInfoLock_;
    // Hashes every block as it is copied, when the set gets its manifests.
    std::unique_ptr<CopyHasher> hasher_;
    // The lines of every piece closed so far, for the manifests.
    std::vector<ManifestEntry> manifestLines_;
    // PAR2 recovery data, when asked for.
    std::optional<SplitRecovery> recovery_;
    int64_t indexRoom_ = 0;
};

bool SplitRun::Run()
{
    setDate_ = window_.SetDateChecked();
    makeBatch_ = window_.BatchMakeChecked();
    makeManifest_ = window_.ManifestWanted();

    removable_ = drives_.IsRemovable(folder_);
    disk_.emplace(drives_, ui_, folder_, removable_);
    if (IoStatus s = CheckSource(); !s) return Failed(s);
    counts_ = ComputePieceCounts(FileLength(source_), splitSize_);
    if (IoStatus s = CheckNameLength(); !s) return Failed(s);
    if (const auto wanted = window_.RecoveryWanted(); wanted && counts_.pieceCount > 0) {
        recovery_.emplace(window_, ui_, *disk_, source_, RecoverySlicesFor(*wanted, counts_.pieceCount));
        if (removable_) indexRoom_ = SplitRecovery::IndexRoom(names_, counts_.pieceCount);
    }
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
    if (counts_.pieceCount > 0) {
        if (IoStatus s = CheckBeforeWriting(); !s) return Failed(s);
    }
    if (makeManifest_)
        hasher_ = MakeCopyHasher(BlockRuns::kHashedRunBytes, false, recovery_ && !removable_ ? recovery_->Observer() : PieceBytesObserver());

    for (int64_t k = 1; k <= counts_.fullPieces; ++k) {
        if (Ending end = FullPiece(k)) return *end;
    }
    if (counts_.remainder > 0) {
        if (Ending end = FinalPiece(counts_.fullPieces + 1)) return *end;
    }
    if (Ending end = RecoveryAfterPieces()) return *end;
    // A removable disk may be pulled as soon as the split is over.
    if (IoStatus s = disk_->Flush(); !s) return Failed(s);
    return Completed();
}

// What can be known to fail before anything is asked or written: a source
// that is no regular file, cannot be opened or is empty, and a name the set's
// files cannot carry. The source stays open from here on.
IoStatus SplitRun::CheckSource()
{
    IoStatus refusal = IoStatus::Success();
    JoinBatchText text;
    if (HoldsControlCharacter(names_.sourceName)) refusal = IoStatus::Failure(kNameCannotBeWritten);
    else if (makeBatch_) refusal = ComposeJoinBatch(names_.sourceName, 1, text);
    if (refusal.ok() && IsNonRegularEntry(source_)) refusal = IoStatus::Failure(kNotRegularFile);
    if (!refusal.ok()) return std::move(refusal).About(source_);
    if (IoStatus s = sourceFile_.Open(source_); !s) return s;
    if (sourceFile_.Length() == 0) return IoStatus::Failure(kEmptySource).About(source_);
    return IoStatus::Success();
}

// Every file of the set must fit the destination's names, or the split would
// stop after writing pieces (the manifest, written last, is mostly the longest).
IoStatus SplitRun::CheckNameLength() const
{
    const long limit = ::pathconf(folder_.c_str(), _PC_NAME_MAX);
    const size_t longest = limit > 0 ? static_cast<size_t>(limit) : size_t{255};
    const std::string last = names_.PieceFileName(static_cast<int32_t>(std::min<int64_t>(counts_.pieceCount, INT32_MAX)));
    for (const std::string& name : {FileNameOf(names_.ManifestPath()), last})
        if (name.size() > longest) return IoStatus::FromErrno(ENAMETOOLONG).About(names_.folder + name);
    return IoStatus::Success();
}

IoStatus SplitRun::CheckBeforeWriting()
{
    if (counts_.pieceCount > INT32_MAX) return IoStatus::Failure(N_("分割数が多すぎます")).About(source_);
    // On a fixed drive a missing folder fails here, before anything is
    // written. On a removable drive it means the disk is not in (yet); the
    // disk-space question takes care of that.
    if (!removable_) {
        struct stat st;
        if (::stat(folder_.c_str(), &st) != 0) return IoStatus::FromErrno(errno).About(folder_);
        if (!S_ISDIR(st.st_mode)) return IoStatus::FromErrno(ENOTDIR).About(folder_);
    }
    // The folder's file system takes pieces this large (a removable drive's
    // disks are checked again each when it is in).
    if (IoStatus s = CheckFileSizeLimit(folder_); !s) return s;
    return CheckSourceIsSpared(source_, names_, counts_.pieceCount, makeBatch_);
}

Ending SplitRun::FullPiece(int64_t k)
{
    if (Ending end = AskForDisk(k)) return end;
    if (EnsureDiskSpace(window_, ui_, *disk_, splitSize_ + Room(k), source_) != kDiskSpaceOk) return GaveUpBeforePiece();
    UseFolderOnDisk();
    if (Ending end = ClaimDisk(k)) return end;
    if (k == 1) {
        if (IoStatus s = WriteSetDescription(); !s) return Failed(s);
        DeleteExisting(names_.PiecePath(1));
        // Measured now, with the join-info and batch files on the disk and an
        // old piece 001 and manifest gone.
        StartPlan(FreeBytesForPiece(disk_->Root()) - Room(k));
        if (Ending end = DescribeForDisks()) return end;
    } else {
        if (removable_) DeleteExisting(names_.ManifestPath());
        DeleteExisting(names_.PiecePath(static_cast<int32_t>(k)));
    }
    return WritePiece(k, plan_->PieceBytes(k), false);
}

Ending SplitRun::FinalPiece(int64_t k)
{
    if (Ending end = AskForDisk(k)) return end;
    if (remaining_ == 0) remaining_ = sourceFile_.Length();
    clsPrivate& figure = PrivateInstance();
    const std::string& folder = disk_->Locate();
    figure.DiskTotalSize(folder.empty() ? 0 : FreeBytesForPiece(folder));
    if (figure.DiskTotalSize() < static_cast<double>(remaining_) + Room(k) &&
        EnsureDiskSpace(window_, ui_, *disk_, splitSize_ + Room(k), source_) != kDiskSpaceOk)
        return GaveUpAtDiskCheck();
    UseFolderOnDisk();
    if (Ending end = ClaimDisk(k)) return end;
    if (k == 1) {
        if (IoStatus s = WriteSetDescription(); !s) return Failed(s);
        StartPlan(0);
        if (Ending end = DescribeForDisks()) return end;
    } else if (removable_) {
        DeleteExisting(names_.ManifestPath());
    }
    DeleteExisting(names_.PiecePath(static_cast<int32_t>(k)));
    return WritePiece(k, plan_->PieceBytes(k), true);
}

Ending SplitRun::AskForDisk(int64_t k)
{
    if (!removable_ || k == 1) return kGoOn;
    // The first disk is done: its files must not be held open while it is
    // swapped, and what is on it reaches the device before the user may pull it.
    joinInfoLock_.Release();
    if (IoStatus s = disk_->NextDisk(); !s) return Failed(s);
    if (Ask(DiskQuestion(k)) == MsgAnswer::Cancel) return GaveUpBeforePiece();
    return kGoOn;
}

// The disk found last (never none once its free space has been measured).
void SplitRun::UseFolderOnDisk() { names_ = SplitSetNamesFor(source_, disk_->Current()); }

void SplitRun::StartPlan(double firstDiskFree)
{
    plan_.emplace(counts_, firstDiskFree);
    // A plan that ends pieces with short blocks takes more blocks than the
    // source has; the progress must still end at the end.
    totalBlocks_ = std::max(totalBlocks_, plan_->BlockCount());
}

// The files the split writes on disk k: on a fixed drive every file of the
// set goes on the one disk; on a removable drive the first disk takes the set's
// description with the first piece, and every later disk its own piece. Every
// disk has its manifest, which is replaced (or deleted) even when the set gets none.
std::vector<std::string> SplitRun::FilesOnDisk(int64_t k) const
{
    std::vector<std::string> files;
    if (k == 1) {
        files.push_back(names_.JoinInfoPath());
        if (makeBatch_) files.push_back(names_.BatchPath());
    }
    const int64_t last = removable_ ? k : counts_.pieceCount;
    for (int64_t piece = k; piece <= last; ++piece) files.push_back(names_.PiecePath(static_cast<int32_t>(piece)));
    if (k == 1 || removable_) files.push_back(names_.ManifestPath());
    // Recovery files of the name would describe other pieces: they go too.
    for (const std::string& path : ExistingRecoveryFiles(names_)) files.push_back(path);
    return files;
}

// Before the first file goes on a disk: the set's join-info file is locked,
// nothing but regular files stands in the way, and the user agrees to replace
// the files of the set that are there already.
Ending SplitRun::ClaimDisk(int64_t k)
{
    if (k > 1 && !removable_) return kGoOn;  // a fixed drive is claimed once, before piece 1
    if (removable_) {
        if (IoStatus s = CheckFileSizeLimit(names_.folder); !s) return Failed(s);
    }
    const std::string joinInfo = names_.JoinInfoPath();
    if (k == 1 && FileExists(joinInfo)) {
        if (IoStatus s = joinInfoLock_.Lock(joinInfo); !s) return Failed(s);
    }
    const std::vector<std::string> files = FilesOnDisk(k);
    for (const std::string& path : files)
        if (IsNonRegularEntry(path)) return Failed(IoStatus::Failure(kNotRegularFile).About(path));
    // A file this run wrote (the same disk put in again) is the run's own.
    const auto existing = std::find_if(files.begin(), files.end(), [this](const std::string& p) {
        return FileExists(p) && !disk_->WrittenByThisRun(p);
    });
    if (existing != files.end() &&
        ui_.MessageBox(OverwriteQuestion(FileNameOf(*existing)), MsgButtons::YesNo, MsgIcon::Warning) != MsgAnswer::Yes)
        return Refused();
    for (const std::string& path : ExistingRecoveryFiles(names_))
        if (!disk_->WrittenByThisRun(path)) DeleteExisting(path);
    DeleteEarlierSet();
    if (k == 1 && !joinInfoLock_.Held()) {
        if (IoStatus s = joinInfoLock_.LockNew(joinInfo); !s) return Failed(s);
    }
    return kGoOn;
}

// Once the disk is agreed to, an earlier set of this name on it goes before the
// first new file is written: the pieces its join-info file counts, its
// manifest and its batch file. A split killed halfway then leaves an
// incomplete set, never old pieces behind new ones that a join would take
// for one set. The join-info file itself is rewritten in place (it is locked).
void SplitRun::DeleteEarlierSet()
{
    JoinInfo earlier;
    const std::string joinInfo = names_.JoinInfoPath();
    // The same disk put in again holds this run's own set.
    if (!FileExists(joinInfo) || disk_->WrittenByThisRun(joinInfo) || !ReadJoinInfo(joinInfo, earlier).ok()) return;
    const std::optional<int32_t> count = ValidPieceCount(earlier.countLine);
    // Up to the first one missing: past a gap no join could reach a piece.
    for (int32_t k = 1; count && k <= *count && FileExists(names_.PiecePath(k)); ++k) {
        const std::string piece = names_.PiecePath(k);
        if (!IsSourceFile(source_, piece)) DeleteExisting(piece);
    }
    for (const std::string& path : {names_.ManifestPath(), names_.BatchPath(), names_.folder + names_.baseName + ".BAT"})
        if (!IsSourceFile(source_, path)) DeleteExisting(path);
}

// A piece larger than the file system at the destination takes would fail
// half written; said before anything goes on the disk, with the size it takes.
IoStatus SplitRun::CheckFileSizeLimit(const std::string& folder)
{
    const uint64_t largest = drives_.LargestFileSize(folder);
    const int64_t largestPiece = std::min(counts_.sourceLength, counts_.standardBlocks * kBlockSize);
    if (largest == 0 || static_cast<uint64_t>(largestPiece) <= largest) return IoStatus::Success();
    return IoStatus::Failure(TrFormat(kFileTooLargeThere, {std::to_string(largest)})).About(folder);
}

IoStatus SplitRun::WriteSetDescription()
{
    // Written in place, not replaced: the lock on it must stay on this file.
    const std::string joinInfo = names_.JoinInfoPath();
    // A manifest of an earlier set would fail the new pieces; it goes even
    // when this set gets none.
    DeleteExisting(names_.ManifestPath());
    if (IoStatus s = WriteJoinInfo(joinInfo, static_cast<int32_t>(counts_.pieceCount), names_.sourceName); !s)
        return s;
    disk_->Written(joinInfo);
    if (setDate_) ApplyFileTimes(joinInfo);
    if (!makeBatch_) return IoStatus::Success();
    disk_->Written(names_.BatchPath());
    return WriteJoinBatch(window_, names_.folder, source_, static_cast<int32_t>(counts_.pieceCount));
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
    disk_->Written(path);
    if (hasher_) hasher_->EndPiece();
    if (setDate_) ApplyFileTimes(path);
    ++piecesWritten_;
    if (Ending end = DiskCheck()) return end;
    if (Ending end = EndOfDisk(k)) return end;
    if (removable_ && recovery_) {
        if (IoStatus s = recovery_->WriteIndex(names_); !s) return Failed(s);
    }
    finishedBytes_ += written;
    return kGoOn;
}

Ending SplitRun::CopyBlocks(int64_t k, int64_t plannedBytes, bool untilSourceEnds, int64_t& written)
{
    const int64_t sourceLength = sourceFile_.Length();
    const std::string counter = " (" + std::to_string(k) + "/" + std::to_string(counts_.pieceCount) + ")";
    // Translated once per piece: the status changes with every block.
    const std::string bytesLeft = Tr(kBytesLeft);
    BlockRuns runs(hasher_.get());
    while (untilSourceEnds || written < plannedBytes) {
        ++blocksCopied_;
        DrawProgress(window_.StatusBox(),
                     static_cast<float>(static_cast<double>(blocksCopied_) / static_cast<double>(totalBlocks_)));
        remaining_ = sourceLength - finishedBytes_ - written;
        window_.SetStatusText(FillPlaceholders(bytesLeft, {std::to_string(remaining_)}) + counter);
        ui_.Yield();

        int64_t size = std::min(kBlockSize, plannedBytes - written);
        bool last = false;
        if (untilSourceEnds) {
            // A remaining figure of exactly one block makes one last full block.
            last = remaining_ <= kBlockSize;
            size = last ? std::max<int64_t>(remaining_, 0) : kBlockSize;
        }
        const int64_t left = untilSourceEnds ? std::max<int64_t>(remaining_, 0) : plannedBytes - written;
        if (IoStatus s = runs.Next(sourceFile_, pieceFile_, size, left); !s) return Failed(s);
        written += size;
        if (last) break;
        if (CancelRequested) {
            if (IoStatus s = runs.CutAhead(pieceFile_); !s) return Failed(s);
            return CancelledDuringCopy();
        }
    }
    return kGoOn;
}

Ending SplitRun::DiskCheck()
{
    window_.SetStatusText(Tr(kDiskCheckStatus));
    ui_.Yield();
    while (!DestinationDiskPresent(drives_, disk_->Locate(), disk_->Root())) {
        if (Ask(kDiskRemoved) == MsgAnswer::Cancel) return GaveUpAtDiskCheck();
        if (EnsureDiskSpace(window_, ui_, *disk_, splitSize_, source_) != kDiskSpaceOk) return GaveUpAtDiskCheck();
    }
    return kGoOn;
}

// The manifest of the disk that ends with piece k, once that piece is closed
// and the disk is still in: on a removable drive every disk ends with its
// piece, on a fixed one the last piece ends the only disk. Each disk's
// manifest repeats the lines of the disks before it, so a joiner can tell a
// disk of this set from one of another set of the same name, and the last
// one lists every piece.
Ending SplitRun::EndOfDisk(int64_t k)
{
    if (!hasher_ || (!removable_ && k < counts_.pieceCount)) return kGoOn;
    std::vector<Sha256Digest> digests;
    if (IoStatus s = hasher_->TakePieceDigests(digests); !s) return Failed(s);
    for (const Sha256Digest& digest : digests) {
        const auto piece = static_cast<int32_t>(manifestLines_.size() + 1);
        manifestLines_.push_back({names_.PieceFileName(piece), HexOf(digest)});
    }
    const std::string path = names_.ManifestPath();
    if (IoStatus s = WriteManifest(path, manifestLines_); !s) return Failed(s);
    disk_->Written(path);
    if (setDate_) ApplyFileTimes(path);
    return kGoOn;
}

// On a removable drive disk 1 leaves before the last piece is written, yet
// every disk's index describes every piece: the source is read for their
// hashes once the pieces' sizes are known, before the first one is written.
// On a fixed drive the copy's hashing threads take the pieces' hashes instead.
Ending SplitRun::DescribeForDisks()
{
    if (!recovery_) return kGoOn;
    std::vector<int64_t> sizes;
    int64_t before = 0;
    for (int64_t k = 1; k <= counts_.pieceCount; ++k) {
        sizes.push_back(k < counts_.pieceCount ? plan_->PieceBytes(k) : counts_.sourceLength - before);
        before += sizes.back();
    }
    if (!removable_) {
        if (hasher_) recovery_->ExpectPieces(sizes);
        return kGoOn;
    }
    IoStatus s = recovery_->DescribePieces(names_, sizes);
    if (s) return kGoOn;
    if (s.Description().empty()) return CancelledDuringCopy();
    return Failed(s);
}

// Every piece is written: the volumes (and on a fixed drive the index) follow.
// Stopped there, the set is whole and the window says the recovery data is not.
Ending SplitRun::RecoveryAfterPieces()
{
    if (!recovery_) return kGoOn;
    IoStatus failure = IoStatus::Success();
    const SplitRecovery::Outcome outcome = removable_
                                               ? recovery_->WriteVolumesOnDisks(counts_.pieceCount, failure)
                                               : recovery_->WriteBesidePieces(names_, counts_.pieceCount, failure);
    if (outcome == SplitRecovery::Outcome::Failed) return Failed(failure);
    if (outcome == SplitRecovery::Outcome::Stopped) {
        if (IoStatus s = disk_->Flush(); !s) return Failed(s);
        window_.RecoveryStopped();
        return Completed();
    }
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

// Declined at the question before a disk's first file: nothing written on it.
bool SplitRun::Refused()
{
    sourceFile_.Close();
    window_.StatusBox().Hide();
    window_.SetPieceRange("");
    ui_.Yield();
    return true;
}

bool SplitRun::GaveUpBeforePiece()
{
    sourceFile_.Close();
    window_.SetPieceRange("");
    ui_.Yield();
    window_.SplitStopped(piecesWritten_, counts_.pieceCount, folder_);
    return true;
}

bool SplitRun::GaveUpAtDiskCheck()
{
    sourceFile_.Close();
    window_.SplitStopped(piecesWritten_, counts_.pieceCount, folder_);
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
    window_.SplitStopped(piecesWritten_, counts_.pieceCount, folder_);
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
    ui_.ShowFailure(kSplitFailed, status);
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
