#include <cerrno>

#include "JoinDisks.h"
#include "JoinResume.h"
#include "JoinSteps.h"
#include "JoinVerifier.h"
#include "Manifest.h"
#include "NumberedSet.h"
#include "NumberFormat.h"
#include "Paths.h"
#include "SharedTexts.h"
#include "SplitSet.h"
#include "modMender.h"

namespace modMender {

bool CancelRequested = false;

namespace {

constexpr const char* kNoValidFileName = N_("連結情報ﾌｧｲﾙに正しいﾌｧｲﾙ名がありません");
constexpr const char* kRebuiltIsOwnFile = N_("連結後ﾌｧｲﾙが分割ﾌｧｲﾙに上書きすることになります");
constexpr const char* kBadJoinInfo = N_("連結情報ﾌｧｲﾙが正しくありません");
constexpr const char* kJoinFailed = N_("ﾌｧｲﾙ連結失敗　原因を調査後再度実行してください");

std::string MissingPiece(const std::string& name) { return TrFormat(N_("分割ﾌｧｲﾙ「{1}」がありません"), {name}); }

std::string SizeQuestion(const std::string& piece) { return TrFormat(kPieceSizeQuestion, {piece}); }

std::string OverwriteQuestion(const std::string& name) { return TrFormat(kJoinOverwriteQuestion, {name}); }

std::string ResumeQuestion(const std::string& name, int32_t joined)
{
    return TrFormat(kResumeQuestion, {name, std::to_string(joined)});
}

class JoinRun {
public:
    JoinRun(JoinerWindow& window, UiServices& ui, const std::string& joinInfoPath,
            const std::string& destinationFolder, Drives& drives)
        : window_(window), ui_(ui), drives_(drives), joinInfoPath_(JoinInfoFileFor(joinInfoPath)),
          destinationFolder_(destinationFolder), numbered_(NumberedSetOf(joinInfoPath))
    {
    }

    void Run();

private:
    bool Prepare();
    bool ReadSetDescription(const std::string& sourceFolder);
    bool OpenRebuiltFile();
    bool AllPiecesThere();
    bool PieceSizesAgreed();
    bool JoinPiece(int32_t i);
    void Finish();
    bool WaitFor(int32_t i);
    bool Ask(const std::string& question)
    {
        return ui_.MessageBox(question, MsgButtons::YesNo, MsgIcon::Warning) == MsgAnswer::Yes;
    }
    void DeleteSetFile(const std::string& path);
    void DeleteSetDescription();
    // The set's manifest beside the pieces on the disk in the drive now.
    std::string ManifestOnDisk() const { return set_.folder + FileNameOf(ManifestPathFor(joinInfoPath_)); }
    void ClearProgress();
    bool CloseRebuilt();
    void Fail(const IoStatus& cause);

    JoinerWindow& window_;
    UiServices& ui_;
    Drives& drives_;
    const std::string joinInfoPath_;
    const std::string destinationFolder_;
    // A set of numbered pieces without a join-info file: the pieces in its
    // folder are all there is to know of it.
    const std::optional<NumberedSet> numbered_;

    bool removable_ = false;
    int32_t count_ = 0;
    std::string rebuiltPath_;
    std::string statePath_;
    SplitSetNames set_;         // in the pieces' folder on the disk in the drive
    std::optional<JoinDisks> disks_;
    FileLock joinInfoLock_;
    BinaryWriter rebuilt_;
    ResumeState state_;
    std::optional<JoinVerifier> verifier_;  // the set's manifest, when it has one
    // Pieces joined without a line of the manifest to check them by: deleted
    // only once the whole file matched its line.
    std::vector<std::string> unchecked_;
    int32_t first_ = 1;         // the first piece this run joins
    bool resuming_ = false;
    bool deleting_ = false;     // a piece has been deleted in this run
    bool descriptionGone_ = false;
    bool failed_ = false;       // the failure message has been shown
    std::vector<char> block_ = std::vector<char>(kBlockSize);
};

void JoinRun::Run()
{
    // A file that is not there or cannot be read is told before anything is
    // asked (a numbered set may be resumed with its first pieces gone).
    if (!numbered_ || numbered_->highest == 0) {
        if (IoStatus s = BinaryReader().Open(joinInfoPath_); !s) return Fail(s);
    }
    if (ui_.MessageBox(kJoinQuestion, MsgButtons::OkCancel, MsgIcon::Warning) != MsgAnswer::Ok) return;
    CancelRequested = false;
    if (!Prepare() || !OpenRebuiltFile()) return;
    for (int32_t i = first_; i <= count_; ++i) {
        if (i > first_ && !WaitFor(i)) {
            // The progress box and status text keep showing the last piece.
            if (!failed_ && CloseRebuilt()) window_.JoinStopped(i - 1, count_, rebuiltPath_);
            return;
        }
        if (!JoinPiece(i)) return;
    }
    Finish();
}

// Reads and checks everything the run depends on; nothing is created or
// changed here but the destination folder.
bool JoinRun::Prepare()
{
    const std::string destination = WithBackslash(destinationFolder_);
    // Only the last level; when that fails, opening the rebuilt file says why.
    if (!FolderExists(destination)) IgnoreResult(CreateFolder(destination));

    if (numbered_) {
        // Joined from its one folder: without a count there is no disk to ask for.
        set_ = numbered_->names;
        count_ = numbered_->highest;
        // Its first piece stands for the set, as a join-info file does: held
        // for the whole run (a resumed join may find it deleted already).
        if (FileExists(set_.PiecePath(1))) {
            if (IoStatus s = joinInfoLock_.Lock(set_.PiecePath(1)); !s) return Fail(s), false;
        }
    } else {
        removable_ = drives_.IsRemovable(joinInfoPath_);
        if (!ReadSetDescription(WithBackslash(FolderOf(joinInfoPath_)))) return false;
    }
    rebuiltPath_ = destination + set_.sourceName;
    if (IoStatus s = NameFitsFolder(destination, set_.sourceName); !s) return Fail(s), false;
    if (IoStatus s = NameFitsFolder(set_.folder, set_.PieceFileName(count_)); !s) return Fail(s), false;
    statePath_ = ResumeStatePath(rebuiltPath_);
    disks_.emplace(drives_, ui_, set_.folder, removable_, rebuiltPath_, rebuilt_);
    if (RebuiltFileIsOwnFile(rebuiltPath_, joinInfoPath_, set_, count_))
        return Fail(IoStatus::Failure(kRebuiltIsOwnFile).About(rebuiltPath_)), false;
    if (IsNonRegularEntry(rebuiltPath_))
        return Fail(IoStatus::Failure(kNotRegularFile).About(rebuiltPath_)), false;

    state_ = ResumeState{AbsolutePath(joinInfoPath_), set_.sourceName, count_, 0, {}};
    verifier_.emplace(FileNameOf(ManifestPathFor(joinInfoPath_)), set_.sourceName, removable_);
    return true;
}

bool JoinRun::ReadSetDescription(const std::string& sourceFolder)
{
    // Held for the whole run: a second join of this set, or a split writing
    // it, stops before it changes anything.
    if (IoStatus s = joinInfoLock_.Lock(joinInfoPath_); !s) return Fail(s), false;
    JoinInfo info;
    if (IoStatus s = ReadJoinInfo(joinInfoPath_, info); !s) return Fail(s), false;
    const auto count = ValidPieceCount(info.countLine);
    if (!count) return Fail(IoStatus::Failure(kBadJoinInfo).About(joinInfoPath_)), false;
    if (!IsPlainFileName(info.sourceName))
        return Fail(IoStatus::Failure(kNoValidFileName).About(joinInfoPath_)), false;
    count_ = *count;
    // Piece names follow line 2, not the name the join-info file has now.
    set_ = SplitSetNamesFor(sourceFolder + info.sourceName, sourceFolder);
    return true;
}

// A numbered set has no count to wait for: a gap in it (or no piece at all)
// is refused, naming the first piece missing.
bool JoinRun::AllPiecesThere()
{
    if (!numbered_) return true;
    if (count_ == 0) return Fail(IoStatus::FromErrno(ENOENT).About(joinInfoPath_)), false;
    for (int32_t k = first_; k <= count_; ++k) {
        const std::string piece = set_.PiecePath(k);
        if (!FileExists(piece)) return Fail(IoStatus::Failure(MissingPiece(set_.PieceFileName(k))).About(piece)), false;
    }
    return true;
}

// An existing rebuilt file is locked first, so that a run that is still
// writing it is never disturbed, then offered for resuming or overwriting.
// Nothing in it changes before the first piece is there and the user agreed.
bool JoinRun::OpenRebuiltFile()
{
    const bool existed = FileExists(rebuiltPath_);
    if (existed) {
        if (IoStatus s = rebuilt_.OpenLocked(rebuiltPath_, true); !s) return Fail(s), false;
        ResumeState saved;
        if (ReadResumeState(statePath_, saved) && saved.joinInfo == state_.joinInfo &&
            saved.sourceName == state_.sourceName && saved.joined >= 1 &&
            // A numbered set knows its count only from the pieces still there.
            (saved.count == count_ || (numbered_ && saved.count >= count_)) &&
            FileLength(rebuiltPath_) >= saved.JoinedLength()) {
            if (!Ask(ResumeQuestion(state_.sourceName, saved.joined))) return CloseRebuilt(), false;
            state_ = saved;
            count_ = saved.count;
            resuming_ = true;
            first_ = saved.joined + 1;
        }
    }
    if (IoStatus s = verifier_->Refresh(set_.folder); !s) return Fail(s), false;
    if (resuming_) {
        std::vector<std::string> kept;
        for (int32_t k = 1; k <= state_.joined; ++k) kept.push_back(set_.PieceFileName(k));
        if (IoStatus s = verifier_->CheckKeptPart(rebuiltPath_, state_.pieceLengths, kept, [this] { ui_.Yield(); }); !s)
            return Fail(s), false;
    }
    if (!AllPiecesThere()) return false;
    if (first_ <= count_ && !WaitFor(first_)) return CloseRebuilt(), false;
    if (!PieceSizesAgreed()) return CloseRebuilt(), false;
    if (existed && !resuming_ && !Ask(OverwriteQuestion(state_.sourceName))) return CloseRebuilt(), false;
    if (!existed) {
        if (IoStatus s = rebuilt_.OpenLocked(rebuiltPath_, false); !s) return Fail(s), false;
    }
    if (IoStatus s = rebuilt_.TruncateTo(state_.JoinedLength()); !s) return Fail(s), false;
    if (!resuming_ && FileExists(statePath_)) IgnoreResult(DeleteFile(statePath_));  // of a join started over
    if (resuming_ && window_.AfterDeleteChecked()) {
        // Pieces a kill left behind after their bytes were already safe.
        for (int32_t k = 1; k <= state_.joined; ++k) DeleteSetFile(set_.PiecePath(k));
        deleting_ = true;
    }
    return true;
}

// Without a manifest to check the pieces by, their sizes tell a piece cut short
// or grown: when every piece is there (a fixed drive), one that breaks the
// rule of the set's sizes is asked about before anything is written.
bool JoinRun::PieceSizesAgreed()
{
    if (removable_) return true;
    std::vector<int64_t> lengths = state_.pieceLengths;
    std::vector<std::string> names;
    for (int32_t k = first_; k <= count_; ++k) {
        if (!FileExists(set_.PiecePath(k))) return true;
        lengths.push_back(FileLength(set_.PiecePath(k)));
        names.push_back(set_.PieceFileName(k));
    }
    if (verifier_->ListsAll(names)) return true;
    const auto odd = OddSizedPiece(lengths);
    return !odd || Ask(SizeQuestion(set_.PieceFileName(*odd)));
}

bool JoinRun::JoinPiece(int32_t i)
{
    const std::string piecePath = set_.PiecePath(i);
    const int64_t before = rebuilt_.Length();
    IoStatus failure;
    if (IoStatus s = verifier_->Refresh(set_.folder); !s) return Fail(s), false;
    CopyHasher* hasher = verifier_->BeforePiece(set_.PieceFileName(i));
    switch (CopyPiece(window_, ui_, rebuilt_, piecePath, i, count_, block_, hasher, failure)) {
    case PieceEnd::Failed:
        Fail(failure);
        return false;
    case PieceEnd::Cancelled:
        if (!CloseRebuilt()) return false;
        ClearProgress();
        ui_.Yield();
        window_.JoinStopped(i - 1, count_, rebuiltPath_);
        return false;
    case PieceEnd::Copied:
        break;
    }
    // A damaged piece is neither counted as joined nor deleted.
    if (IoStatus s = verifier_->AfterPiece(piecePath); !s) return Fail(s), false;
    state_.pieceLengths.push_back(rebuilt_.Length() - before);
    state_.joined = i;
    window_.SetStatusText(TrFormat(kBytesLeft, {"0"}));
    ui_.Yield();

    if (window_.AfterDeleteChecked()) {
        // The piece's bytes must be on stable storage, and the next run must
        // know they are, before the piece goes.
        if (IoStatus s = rebuilt_.Sync(); !s) return Fail(s), false;
        if (IoStatus s = WriteResumeState(statePath_, state_); !s) return Fail(s), false;
        if (verifier_->PieceVouchedFor()) DeleteSetFile(piecePath);
        else unchecked_.push_back(piecePath);
        deleting_ = true;
        // On a removable drive the set's description lives on the first disk,
        // which is done once its piece is joined; a later disk's manifest
        // lists its piece only, except the last one's, checked at the end.
        if (removable_ && i == 1) DeleteSetDescription();
        else if (removable_ && i < count_) DeleteSetFile(ManifestOnDisk());
    }
    return true;
}

void JoinRun::Finish()
{
    if (!CloseRebuilt()) return;
    if (IoStatus s = verifier_->CheckWhole(rebuiltPath_); !s) return Fail(s);
    // Unchecked pieces that nothing vouched for stay, and the set's description with them.
    const bool vouched = unchecked_.empty() || verifier_->WholeVouchedFor();
    if (vouched)
        for (const std::string& path : unchecked_) DeleteSetFile(path);
    if (deleting_ && vouched) DeleteSetDescription();
    if (deleting_ && vouched && removable_) DeleteSetFile(ManifestOnDisk());
    // Last: a kill before this leaves a state that says the join is complete.
    if (FileExists(statePath_)) IgnoreResult(DeleteFile(statePath_));
    if (IoStatus s = disks_->Settle(); !s) return Fail(s);
    ClearProgress();
}

bool JoinRun::WaitFor(int32_t i)
{
    // The first disk is done: its join-info file must not be held open while
    // the disk is swapped.
    if (removable_ && i > 1) joinInfoLock_.Release();
    IoStatus failure;
    switch (WaitForPiece(window_, ui_, *disks_, i, set_, failure)) {
    case PieceWait::Present: return true;
    case PieceWait::Cancelled: return false;
    case PieceWait::Failed: return Fail(failure), false;
    case PieceWait::NotRegular: break;
    }
    IgnoreResult(rebuilt_.Close());
    Fail(IoStatus::Failure(kNotRegularFile).About(set_.PiecePath(i)));
    return false;
}

void JoinRun::DeleteSetFile(const std::string& path)
{
    if (!FileExists(path)) return;
    if (IoStatus s = DeleteFile(path); !s) window_.DeletionFailed(path, s.Description());
}

// The join-info file given (whatever set it names) and the batch file and
// manifest named after it: Carver writes ".bat", a system that ignores case
// may give ".BAT".
void JoinRun::DeleteSetDescription()
{
    if (descriptionGone_ || numbered_) return;
    descriptionGone_ = true;
    const std::string stem = WithBackslash(FolderOf(joinInfoPath_)) + BaseNameOf(FileNameOf(joinInfoPath_));
    for (const std::string& path : {joinInfoPath_, stem + ".bat", stem + ".BAT", stem + ".sha256"}) DeleteSetFile(path);
}

void JoinRun::ClearProgress()
{
    window_.StatusBox().Hide();
    window_.SetStatusText("");
}

// The rebuilt file writes through a buffer, so its last blocks reach the file
// only at Close: a failure there is a failed write like any other.
bool JoinRun::CloseRebuilt()
{
    const IoStatus closed = rebuilt_.Close();
    if (!closed) Fail(closed);
    return closed.ok();
}

void JoinRun::Fail(const IoStatus& cause)
{
    failed_ = true;
    IgnoreResult(rebuilt_.Close());  // the run has failed already
    ClearProgress();
    ui_.ShowFailure(kJoinFailed, cause);
}

}  // namespace

void JoinFiles(JoinerWindow& window, UiServices& ui, const std::string& joinInfoPath,
               const std::string& destinationFolder, Drives& drives)
{
    JoinRun run(window, ui, joinInfoPath, destinationFolder, drives);
    run.Run();
}

}  // namespace modMender
