#include <cerrno>
#include <deque>

#include "BatchDeleter.h"
#include "JoinDisks.h"
#include "JoinRecovery.h"
#include "JoinResume.h"
#include "JoinSteps.h"
#include "JoinVerifier.h"
#include "Manifest.h"
#include "NumberedSet.h"
#include "NumberFormat.h"
#include "Paths.h"
#include "ProgressPicture.h"
#include "SetRepair.h"
#include "SharedTexts.h"
#include "Sha256.h"
#include "SplitSet.h"
#include "VolumeNames.h"
#include "modMender.h"

namespace modMender {

bool CancelRequested = false;

namespace {

constexpr const char* kNoValidFileName = N_("連結情報ﾌｧｲﾙに正しいﾌｧｲﾙ名がありません");
constexpr const char* kBadJoinInfo = N_("連結情報ﾌｧｲﾙが正しくありません");
constexpr const char* kJoinFailed = N_("ﾌｧｲﾙ連結失敗　原因を調査後再度実行してください");
constexpr const char* kStandardOutput = N_("標準出力");
// The bytes a delete-as-you-go join on a fixed drive joins between syncs.
constexpr int64_t kDeleteBatch = 64 << 20;

// What the terminal is told, on one line naming the file.
constexpr const char* kUnusableManifest = N_("このｾｯﾄの行がありません　照合せずに連結します");
constexpr const char* kOtherSetsDisk = N_("別のｾｯﾄのﾃﾞｨｽｸです　ﾏﾆﾌｪｽﾄが連結済みの分割ﾌｧｲﾙと違います");
constexpr const char* kLeftOnFirstDisk = N_("１枚目のﾃﾞｨｽｸがﾄﾞﾗｲﾌﾞにないので残しました");
constexpr const char* kLeftAsHole = N_("穴として残し、最後に修復用ﾃﾞｰﾀから作り直します");
constexpr const char* kDamagedHole = N_("壊れています　穴として残し、最後に修復用ﾃﾞｰﾀから作り直します");
constexpr const char* kOtherLengthHole = N_("大きさが修復用ﾃﾞｰﾀと違います　穴として残し、最後に作り直します");
constexpr const char* kRebuilding = N_("修復中 {1}%");

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
            const std::string& destinationFolder, Drives& drives, int output = -1)
        : window_(window), ui_(ui), drives_(drives), joinInfoPath_(JoinInfoFileFor(joinInfoPath)),
          destinationFolder_(destinationFolder), numbered_(NumberedSetOf(joinInfoPath)), output_(output)
    {
    }

    void Run();

private:
    void Join();
    bool Prepare();
    bool ReadSetDescription(const std::string& sourceFolder);
    bool OpenRebuiltFile();
    std::optional<ResumeState> SavedState(bool rebuiltExists);
    IoStatus CheckDisk(const std::string& folder, bool& ofSet);
    bool FirstDiskInDrive();
    bool AllPiecesThere();
    bool PieceSizesAgreed();
    void TakeSetFromZero(bool fromZero);
    bool JoinPiece(int32_t i);
    IoStatus DeleteJoined();
    void DeleteJoinedBeforeStop();
    void FinishDeletions();
    void TakeVerdicts();
    void DropUnchecked();
    void Finish();
    bool WaitFor(int32_t i);
    // The hole way: the set's recovery data rebuilds lost pieces at the end.
    void FindRecovery(const std::string& folder);
    bool CanLose(int32_t i);
    void TakeVolumesBeside();
    bool LeaveHole(int32_t i, const std::string& why);
    bool RepairBeforeJoin();
    bool FillHoles();
    bool GatherVolumes();
    std::function<bool(uint64_t, uint64_t)> RebuildProgress();
    // Where the recovery slices of volumes on disks gone are kept: beside the
    // state file, named after it (its name leaves room for the suffix).
    std::string SpoolPath() const { return statePath_ + ".rec"; }
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
    // A descriptor the rebuilt file goes to instead of a folder (standard
    // output); -1 when it goes to the folder.
    const int output_;
    bool createdFolder_ = false;  // the destination folder was made by this run

    bool removable_ = false;
    int32_t count_ = 0;
    std::string rebuiltPath_;
    std::string statePath_;
    std::string countLine_;     // line 1 of the join-info file
    SplitSetNames set_;         // in the pieces' folder on the disk in the drive
    std::optional<JoinDisks> disks_;
    FileLock joinInfoLock_;
    BinaryWriter rebuilt_;
    ResumeState state_;
    std::optional<JoinVerifier> verifier_;  // the set's manifest, when it has one
    // Pieces joined without a line of the manifest to check them by: on a
    // fixed drive deleted only once an older manifest's whole-file line matched.
    std::vector<std::string> unvouched_;
    std::vector<std::string> holeFiles_;  // files at the paths of pieces left as holes, to delete
    // Pieces joined with the delete option and not yet deleted: on a fixed
    // drive they go in batches, each after one sync of the rebuilt file.
    std::vector<std::pair<std::string, int64_t>> toDelete_;  // with where each ends in the rebuilt file
    // Pieces joined whose hashes are not yet checked, in order.
    struct Awaiting {
        size_t index;  // in state_.pieces
        std::string path;
        int64_t end;  // where it ends in the rebuilt file
        bool deleting;  // joined with the delete option
    };
    std::deque<Awaiting> awaiting_;
    BatchDeleter deleter_;
    int32_t undeleted_ = 0;     // pieces joined for deletion since the last sync
    int64_t unsynced_ = 0;      // their bytes
    int32_t first_ = 1;         // the first piece this run joins
    bool resuming_ = false;
    bool deleting_ = false;     // a piece has been deleted in this run
    bool deletingLast_ = false; // the delete option, as read after the last piece
    bool descriptionGone_ = false;
    bool failed_ = false;       // the failure message has been shown
    const std::vector<char> zeros_ = std::vector<char>(kBlockSize);  // what a hole is kept with
    // The set's recovery data, when its index describes these pieces.
    std::optional<JoinRecovery> recovery_;
    bool lostNext_ = false;        // the piece waited for is to be left as a hole
    bool recoveryChecked_ = false; // every piece matched its line or its slices' MD5s
    bool volumesTaken_ = false;    // the recovery slices beside the pieces (a fixed drive) are read
};

void JoinRun::Run()
{
    Join();
    FinishDeletions();
    // A run that ends with nothing in the folder it made takes the folder away again.
    if (createdFolder_) RemoveFolderIfEmpty(WithBackslash(destinationFolder_));
}

void JoinRun::Join()
{
    // A file that is not there or cannot be read is told before anything is
    // asked (a numbered set may be resumed with its first pieces gone).
    if (!numbered_ || numbered_->count == 0) {
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
        if (lostNext_ ? !LeaveHole(i, kLeftAsHole) : !JoinPiece(i)) return;
    }
    Finish();
}

// Reads and checks everything the run depends on; nothing is created or
// changed here but the destination folder.
bool JoinRun::Prepare()
{
    const std::string destination = WithBackslash(destinationFolder_);
    // Only the last level; when that fails, opening the rebuilt file says why.
    if (output_ < 0 && !FolderExists(destination)) createdFolder_ = CreateFolder(destination).ok();

    if (numbered_) {
        // Joined from its one folder: without a count there is no disk to ask for.
        set_ = numbered_->names;
        count_ = numbered_->count;
        // Its first piece stands for the set, as a join-info file does: held
        // for the whole run (a resumed join may find it deleted already).
        if (FileExists(set_.PiecePath(1))) {
            if (IoStatus s = joinInfoLock_.Lock(set_.PiecePath(1)); !s) return Fail(s), false;
        }
    } else {
        removable_ = drives_.IsRemovable(joinInfoPath_);
        if (!ReadSetDescription(WithBackslash(FolderOf(joinInfoPath_)))) return false;
    }
    // Standard output has no file to check, resume (statePath_ stays empty) or sync.
    const bool toFile = output_ < 0;
    rebuiltPath_ = toFile ? destination + set_.sourceName : Tr(kStandardOutput);
    if (toFile) {
        if (IoStatus s = NameFitsFolder(destination, set_.sourceName); !s) return Fail(s), false;
    }
    if (IoStatus s = NameFitsFolder(set_.folder, set_.PieceFileName(count_)); !s) return Fail(s), false;
    if (toFile) statePath_ = ResumeStatePath(rebuiltPath_);
    disks_.emplace(drives_, ui_, set_.folder, removable_, toFile ? rebuiltPath_ : std::string(), rebuilt_);
    for (const std::string& path : {rebuiltPath_, statePath_})
        if (toFile && RebuiltFileIsOwnFile(path, joinInfoPath_, set_, count_))
            return Fail(IoStatus::Failure(kRebuiltIsOwnFile).About(path)), false;
    if (toFile && IsNonRegularEntry(rebuiltPath_))
        return Fail(IoStatus::Failure(kNotRegularFile).About(rebuiltPath_)), false;

    state_ = ResumeState{countLine_, set_.sourceName, count_, {}, false, set_.firstNumber};
    verifier_.emplace(FileNameOf(ManifestPathFor(joinInfoPath_)), set_.sourceName, set_.baseName, removable_);
    FindRecovery(set_.folder);
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
    countLine_ = info.countLine;
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
    const bool existed = output_ < 0 && FileExists(rebuiltPath_);
    if (existed) {
        if (IoStatus s = rebuilt_.OpenLocked(rebuiltPath_, true); !s) return Fail(s), false;
    }
    std::string unusable;
    if (IoStatus s = verifier_->Refresh(set_.folder, unusable); !s) return Fail(s), false;
    if (!unusable.empty()) window_.Noted(unusable, Tr(kUnusableManifest));
    // いいえ joins the set from its first piece, as a new join.
    if (const auto saved = SavedState(existed); saved && Ask(ResumeQuestion(state_.sourceName, saved->Joined()))) {
        state_ = *saved;
        count_ = saved->count;
        resuming_ = true;
        first_ = saved->Joined() + 1;
        if (IoStatus s = verifier_->CheckKeptPart(rebuiltPath_, state_.pieces, [this] { ui_.Yield(); }); !s)
            return Fail(s), false;
    }
    // Holes that no index can fill now: joining on would pass zeros for pieces.
    if (resuming_ && state_.HasHoles() && !recovery_) {
        std::vector<std::string> lost;
        for (int32_t k = 1; k <= state_.Joined(); ++k)
            if (state_.pieces[static_cast<size_t>(k - 1)].hole) lost.push_back(set_.PieceFileName(k));
        return Fail(NoRecoveryData(lost, par2::IndexFileName(set_.baseName)).About(joinInfoPath_)), false;
    }
    if (!AllPiecesThere()) return false;
    if (!resuming_ && !RepairBeforeJoin()) return CloseRebuilt(), false;
    if (first_ <= count_ && !WaitFor(first_)) return CloseRebuilt(), false;
    if (!PieceSizesAgreed()) return CloseRebuilt(), false;
    if (existed && !resuming_ && !Ask(OverwriteQuestion(state_.sourceName))) return CloseRebuilt(), false;
    if (output_ >= 0) {
        if (IoStatus s = rebuilt_.OpenDescriptor(output_, rebuiltPath_); !s) return Fail(s), false;
        return true;
    }
    if (!existed) {
        if (IoStatus s = rebuilt_.OpenLocked(rebuiltPath_, false); !s) return Fail(s), false;
    }
    if (IoStatus s = rebuilt_.TruncateTo(state_.JoinedLength()); !s) return Fail(s), false;
    // The state of a join started over, or of another set.
    if (!resuming_ && FileExists(statePath_)) IgnoreResult(DeleteFile(statePath_));
    if (resuming_ && window_.AfterDeleteChecked()) {
        // Pieces a kill left behind after their bytes were already safe; a
        // piece kept for want of a line waits for the whole-file check.
        for (int32_t k = 1; k <= state_.Joined(); ++k) {
            const JoinedPiece& p = state_.pieces[static_cast<size_t>(k - 1)];
            // What lies at a hole's path goes once the hole is filled.
            if (p.hole && FileExists(set_.PiecePath(k))) holeFiles_.push_back(set_.PiecePath(k));
            else if (p.kept) unvouched_.push_back(set_.PiecePath(k));
            else if (!p.hole) DeleteSetFile(set_.PiecePath(k));
        }
        deleting_ = true;
    }
    return true;
}

// The state an interrupted join left beside the rebuilt file, when it is the
// state of this set; any other is set aside (and removed once the new join
// starts), saying why.
std::optional<ResumeState> JoinRun::SavedState(bool rebuiltExists)
{
    if (!FileExists(statePath_) && !IsNonRegularEntry(statePath_)) return std::nullopt;
    ResumeState saved;
    std::string why;
    const IoStatus read = ReadResumeState(statePath_, saved);
    // A set that starts at NAME.000, joined through NAME.001 after a
    // delete-as-you-go join took NAME.000: piece 1 is the one that is gone.
    const bool fromZero =
        read && numbered_ && saved.firstNumber == 0 && set_.firstNumber == 1 && !FileExists(set_.JoinInfoPath());
    if (fromZero) TakeSetFromZero(true);
    if (!read) why = TrFormat(N_("読めません: {1}"), {Tr(read.Description())});
    else if (!rebuiltExists || FileLength(rebuiltPath_) < saved.JoinedLength())
        why = Tr(N_("連結後のﾌｧｲﾙに記録された内容がありません"));
    else
        why = WhyNotThisSet(saved, state_, set_, verifier_->Current(), [](const std::string& path) {
            Sha256Digest digest;
            return Sha256OfFile(path, digest) ? HexOf(digest) : std::string();
        });
    if (why.empty()) return saved;
    if (fromZero) TakeSetFromZero(false);
    window_.Noted(statePath_, TrFormat(N_("再開情報を使わず最初から連結します: {1}"), {why}));
    return std::nullopt;
}

// Takes the numbered set as the one that starts at NAME.000 (or back).
void JoinRun::TakeSetFromZero(bool fromZero)
{
    set_.firstNumber = state_.firstNumber = fromZero ? 0 : 1;
    state_.count = count_ = count_ + (fromZero ? 1 : -1);
}

// A disk is one of this set's when its manifest (each disk's repeats the lines
// of the disks before it) agrees with every piece joined so far.
IoStatus JoinRun::CheckDisk(const std::string& folder, bool& ofSet)
{
    std::string unusable;
    if (IoStatus s = verifier_->Refresh(folder, unusable); !s) return s;
    if (!unusable.empty()) window_.Noted(unusable, Tr(kUnusableManifest));
    ofSet = verifier_->AgreesWith(state_.pieces, [this](int32_t k) { return set_.PieceFileName(k); });
    if (ofSet) FindRecovery(folder);  // each disk of the set has the index
    if (!ofSet) window_.Noted(folder + FileNameOf(ManifestPathFor(joinInfoPath_)), Tr(kOtherSetsDisk));
    return IoStatus::Success();
}

// Without a manifest to check the pieces by, their sizes tell a piece cut short
// or grown: when every piece is there (a fixed drive), one that breaks the
// rule of the set's sizes is asked about before anything is written.
bool JoinRun::PieceSizesAgreed()
{
    if (removable_) return true;
    std::vector<int64_t> lengths;
    for (const JoinedPiece& p : state_.pieces) lengths.push_back(p.length);
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
    if (recovery_ && FileLength(piecePath) != recovery_->PieceLength(i) && CanLose(i))
        return LeaveHole(i, kOtherLengthHole);
    IoStatus failure;
    // A delete-as-you-go join records each piece's hash, to know the set again.
    // The option is read after each piece; the first piece is hashed anyway.
    CopyHasher* hasher = verifier_->BeforePiece(set_.PieceFileName(i), i == first_ || deletingLast_);
    switch (CopyPiece(window_, ui_, rebuilt_, piecePath, i, count_, hasher, failure)) {
    case PieceEnd::Failed:
        DeleteJoinedBeforeStop();
        Fail(failure);
        return false;
    case PieceEnd::Cancelled:
        DeleteJoinedBeforeStop();
        if (!CloseRebuilt()) return false;
        ClearProgress();
        ui_.Yield();
        window_.JoinStopped(i - 1, count_, rebuiltPath_);
        return false;
    case PieceEnd::Copied:
        break;
    }
    const bool deleting = window_.AfterDeleteChecked();
    // A damaged piece is neither counted as joined nor deleted; with recovery
    // data to rebuild it, its bytes make way for a hole. The first piece (to
    // know the set again), the last, any on a removable drive (to know the
    // next disk) and any of a set with recovery data are checked before the
    // join goes on; the others while the next ones are copied, at the latest
    // before a deletion.
    const bool settle = removable_ || recovery_ || i == first_ || i == count_;
    if (IoStatus s = verifier_->AfterPiece(piecePath, settle); !s) {
        DropUnchecked();
        if (!CanLose(i)) {
            DeleteJoinedBeforeStop();
            return Fail(s), false;
        }
        if (IoStatus cut = rebuilt_.TruncateTo(before); !cut) return Fail(cut), false;
        return LeaveHole(i, kDamagedHole);
    }
    deletingLast_ = deleting;
    // Kept until its verdict says it may go.
    state_.pieces.push_back({rebuilt_.Length() - before, {}, true});
    awaiting_.push_back({state_.pieces.size() - 1, piecePath, rebuilt_.Length(), deleting});
    TakeVerdicts();
    window_.SetStatusText(TrFormat(kBytesLeft, {"0"}));
    ui_.Yield();
    if (!deleting) return true;
    ++undeleted_;
    unsynced_ += state_.pieces.back().length;
    // One sync per batch, not per piece, keeps a delete-as-you-go join at the
    // speed of a copy followed by one sync; a batch is what the destination
    // needs beyond the rebuilt file. A removable drive's disk goes with its piece.
    if (!removable_ && i < count_ && unsynced_ < kDeleteBatch) {
        // The disk writes the batch while the next pieces are copied; a
        // write that failed here fails the next one, which stops the run.
        IgnoreResult(rebuilt_.StartWriteback());
        return true;
    }
    if (IoStatus s = DeleteJoined(); !s) return Fail(s), false;
    // A later disk's manifest goes with its piece; the first disk's stays with
    // the join-info file until the join is over, and so does the last disk's.
    if (removable_ && !state_.pieces.back().kept && i < count_ && !FileExists(set_.folder + FileNameOf(joinInfoPath_)))
        DeleteSetFile(ManifestOnDisk());
    return true;
}

// The pieces' bytes must be on stable storage, and the next run must know
// they are, before the pieces go.
IoStatus JoinRun::DeleteJoined()
{
    // A piece found damaged now stops the run once the pieces before it are safe.
    IoStatus damaged = verifier_->Settle();
    if (!damaged) DropUnchecked();
    TakeVerdicts();
    int64_t safe = 0;
    if (IoStatus s = rebuilt_.SyncWritten(safe); !s) return s;
    // After a failed write only the pieces wholly in the file count as joined.
    ResumeState state = state_;
    int64_t end = 0;
    size_t whole = 0;
    while (whole < state.pieces.size() && (end += state.pieces[whole].length) <= safe) ++whole;
    state.pieces.resize(whole);
    if (IoStatus s = WriteResumeState(statePath_, state); !s) return s;
    deleting_ = true;
    std::vector<std::string> safePieces;
    for (const auto& [path, pieceEnd] : toDelete_)
        if (pieceEnd <= safe) safePieces.push_back(path);
    toDelete_.clear();
    // A removable drive's piece goes before its disk leaves the drive; on a
    // fixed drive the join goes on while a batch is deleted.
    if (removable_)
        for (const std::string& path : safePieces) DeleteSetFile(path);
    else
        deleter_.Delete(std::move(safePieces));
    undeleted_ = 0;
    unsynced_ = 0;
    if (!damaged) return damaged;
    return rebuilt_.WriteFailure();
}

// The verdicts on the pieces joined: the hash each records, and whether it
// goes with the next deletion or waits for the whole-file check.
void JoinRun::TakeVerdicts()
{
    for (const JoinVerifier::Verdict& verdict : verifier_->TakeVerdicts()) {
        if (awaiting_.empty()) break;
        const Awaiting piece = std::move(awaiting_.front());
        awaiting_.pop_front();
        // With recovery data a piece without a line of its own is checked by
        // its slices' MD5s at the end, and kept until then.
        const bool vouched =
            piece.deleting && verifier_->VouchesFor(verdict) && (!recovery_ || verdict.matched);
        JoinedPiece& joined = state_.pieces[piece.index];
        joined.hash = verdict.hash;
        joined.kept = !vouched;
        if (!piece.deleting) continue;
        if (vouched) toDelete_.emplace_back(piece.path, piece.end);
        else unvouched_.push_back(piece.path);
    }
}

// A damaged piece was found among those not yet checked: it and the pieces
// joined after it do not count as joined.
void JoinRun::DropUnchecked()
{
    TakeVerdicts();
    if (awaiting_.empty()) return;
    state_.pieces.resize(awaiting_.front().index);
    awaiting_.clear();
}

// When the run stops (a failure, Cancel, a question about a missing piece),
// the pieces joined so far go as they would have; where their bytes cannot be
// made safe, they stay.
void JoinRun::DeleteJoinedBeforeStop()
{
    if (undeleted_ > 0) IgnoreResult(DeleteJoined());
    FinishDeletions();
}

void JoinRun::FinishDeletions()
{
    for (const BatchDeleter::Failure& failure : deleter_.Wait()) window_.DeletionFailed(failure.path, failure.reason);
}

void JoinRun::Finish()
{
    // Left when the option was unticked before the batch was full.
    if (undeleted_ > 0) {
        if (IoStatus s = DeleteJoined(); !s) return Fail(s);
    }
    // Before the state can say the join is complete.
    FinishDeletions();
    if (!FillHoles()) return;
    if (!CloseRebuilt()) return;
    if (IoStatus s = verifier_->CheckWhole(rebuiltPath_); !s) return Fail(s);
    // Pieces that nothing vouched for stay, and the set's description with them.
    if (deleting_ && (unvouched_.empty() || verifier_->WholeVouchedFor() || recoveryChecked_)) {
        // A kill from here on leaves a state that says the join is complete,
        // so the same join run again only finishes the deleting.
        state_.complete = true;
        if (IoStatus s = WriteResumeState(statePath_, state_); !s) return Fail(s);
        // On a removable drive they are on disks gone by now.
        if (!removable_)
            for (const std::string& path : unvouched_) DeleteSetFile(path);
        // The recovery files go with the set: those on the disk in the drive.
        if (recovery_)
            for (const std::string& path : RecoveryFilesIn(set_.folder, set_.baseName)) DeleteSetFile(path);
        DeleteSetDescription();
    }
    if (FileExists(statePath_)) IgnoreResult(DeleteFile(statePath_));
    if (IoStatus s = disks_->Settle(); !s) return Fail(s);
    ClearProgress();
}

// The index is read once, from the first disk (or folder) that has it; the
// hole way needs a rebuilt file to write back into.
void JoinRun::FindRecovery(const std::string& folder)
{
    if (!recovery_ && !numbered_ && output_ < 0) recovery_ = JoinRecovery::Find(folder, set_, count_);
}

// On a fixed drive the volumes lie beside the pieces: read once, when a piece is lost.
void JoinRun::TakeVolumesBeside()
{
    if (removable_ || volumesTaken_) return;
    volumesTaken_ = true;
    uint64_t added = 0;
    IgnoreResult(recovery_->TakeVolumes(set_.folder, {}, added));  // one that cannot be read brings no slices
}

// Whether piece i may be left as a hole: the recovery data describes it and,
// where its slices are all at hand (a fixed drive), there are enough of them
// for it and the holes before it.
bool JoinRun::CanLose(int32_t i)
{
    if (!recovery_) return false;
    if (removable_) return true;
    TakeVolumesBeside();
    uint64_t lost = recovery_->SlicesOf(i);
    for (int32_t k = 1; k <= state_.Joined(); ++k)
        if (state_.pieces[static_cast<size_t>(k - 1)].hole) lost += recovery_->SlicesOf(k);
    return lost <= recovery_->RecoverySlices();
}

// The piece's place, of the length the index gives, is kept with zeros.
bool JoinRun::LeaveHole(int32_t i, const std::string& why)
{
    window_.Noted(set_.PiecePath(i), Tr(why));
    const int64_t length = recovery_->PieceLength(i);
    for (int64_t left = length; left > 0;) {
        const size_t n = static_cast<size_t>(std::min<int64_t>(left, static_cast<int64_t>(zeros_.size())));
        if (IoStatus s = rebuilt_.Write(std::span<const char>(zeros_.data(), n)); !s) return Fail(s), false;
        left -= static_cast<int64_t>(n);
    }
    verifier_->PieceLeftOut();
    state_.pieces.push_back({length, {}, false, true});
    // What is at the piece's path is not the piece: it goes once the hole is filled.
    if (window_.AfterDeleteChecked() && FileExists(set_.PiecePath(i))) holeFiles_.push_back(set_.PiecePath(i));
    return true;
}

// The share done of a repair, on the progress box and the status panel; false cancels.
std::function<bool(uint64_t, uint64_t)> JoinRun::RebuildProgress()
{
    window_.StatusBox().Show();
    return [this, text = Tr(kRebuilding)](uint64_t done, uint64_t total) {
        const double share = static_cast<double>(done) / static_cast<double>(std::max<uint64_t>(total, 1));
        DrawProgress(window_.StatusBox(), static_cast<float>(share));
        window_.SetStatusText(FillPlaceholders(text, {std::to_string(static_cast<int>(share * 100))}));
        ui_.Yield();
        return !CancelRequested;
    };
}

// On a fixed drive a new join first rebuilds the pieces lost, cut short or
// grown (damaged too, where no manifest will find that) in the set's folder,
// so that the set there is whole again.
bool JoinRun::RepairBeforeJoin()
{
    if (removable_ || numbered_ || RecoveryFilesOfSet(joinInfoPath_).empty()) return true;
    std::vector<std::string> rebuilt;
    IoStatus failure;
    const auto progress = RebuildProgress();
    const SetRepairResult result = RepairSetBeforeJoin(joinInfoPath_, rebuilt, failure, [&](double share) {
        return progress(static_cast<uint64_t>(share * 1000), 1000);
    });
    for (const std::string& name : rebuilt) window_.PieceRebuilt(name);
    if (result == SetRepairResult::Failed) return Fail(failure), false;
    // Every piece no line will check has been read and matched.
    recoveryChecked_ = result == SetRepairResult::Whole || result == SetRepairResult::Rebuilt;
    ClearProgress();
    if (result == SetRepairResult::Cancelled) window_.JoinStopped(0, count_, rebuiltPath_);
    return result != SetRepairResult::Cancelled;
}

// After the last piece: the holes are filled from the recovery slices and the
// rest of the rebuilt file. Pieces that matched no line of their own are
// checked by their slices' MD5s first (where no repair before the join read
// them), and a damaged one is rebuilt too. Until the filled bytes matched,
// the holes stay holes in the resume state.
bool JoinRun::FillHoles()
{
    std::vector<int64_t> lengths;
    std::vector<bool> holes, vouched;
    const Manifest* manifest = verifier_->Current();
    for (int32_t k = 1; k <= state_.Joined(); ++k) {
        const JoinedPiece& p = state_.pieces[static_cast<size_t>(k - 1)];
        lengths.push_back(p.length);
        holes.push_back(p.hole);
        const auto line = manifest ? manifest->HashOf(set_.PieceFileName(k)) : std::nullopt;
        vouched.push_back(!p.hash.empty() && line && *line == p.hash);
    }
    const bool unvouched = std::count(vouched.begin(), vouched.end(), false) > 0;
    if (!recovery_ || !(state_.HasHoles() || (unvouched && (removable_ || resuming_)))) return true;
    // The fill reads and writes the file itself: the buffer goes out first,
    // and a kill from here on finds the holes in the state.
    if (IoStatus s = rebuilt_.Sync(); !s) return Fail(s), false;
    if (deleting_) {
        if (IoStatus s = WriteResumeState(statePath_, state_); !s) return Fail(s), false;
    }
    const auto progress = RebuildProgress();
    if (IoStatus s = recovery_->Check(rebuiltPath_, lengths, holes, vouched, progress); !s)
        return s.Description().empty() ? (ClearProgress(), window_.JoinStopped(count_, count_, rebuiltPath_), false)
                                       : (Fail(s), false);
    bool gathered = true;
    if (removable_) gathered = GatherVolumes();
    else TakeVolumesBeside();
    std::vector<std::string> rebuilt;
    IoStatus filled = failed_ ? IoStatus::Failure("") : gathered ? recovery_->Fill(rebuilt, progress)
                                                                 : recovery_->LackingFailure();
    if (removable_) IgnoreResult(DeleteFile(SpoolPath()));
    if (failed_) return false;
    if (!filled) {
        if (filled.Description().empty()) {
            ClearProgress();
            window_.JoinStopped(count_, count_, rebuiltPath_);
            return false;
        }
        // Without a state to finish from, the rebuilt file ends before its first
        // hole, so that it cannot pass for whole.
        if (!deleting_) {
            int64_t keep = 0;
            for (size_t k = 0; k < holes.size() && !holes[k]; ++k) keep += lengths[k];
            IgnoreResult(rebuilt_.TruncateTo(keep));
        }
        return Fail(std::move(filled).About(joinInfoPath_)), false;
    }
    // Before any state says the holes are filled, what lay at their paths
    // goes: a later run would take it for a piece of another set.
    for (const std::string& path : holeFiles_) DeleteSetFile(path);
    holeFiles_.clear();
    for (JoinedPiece& p : state_.pieces) p.hole = false;
    for (const std::string& name : rebuilt) window_.PieceRebuilt(name);
    recoveryChecked_ = true;
    ClearProgress();
    return true;
}

// On a removable drive the recovery volumes follow the last piece: the disk
// in the drive first, then the disks after the last piece's, asked for with
// the same question numbered on, until there are slices enough. Their slices
// are copied beside the rebuilt file, as each disk leaves the drive.
bool JoinRun::GatherVolumes()
{
    const std::string spool = SpoolPath();
    IgnoreResult(DeleteFile(spool));
    uint64_t added = 0;
    if (const std::string& here = disks_->Locate(); !here.empty()) {
        if (IoStatus s = recovery_->TakeVolumes(here, spool, added); !s) return Fail(s), false;
    }
    for (int32_t disk = count_ + 1; recovery_->Lacking() > 0; ++disk) {
        if (IoStatus s = disks_->ReleaseDisk(); !s) return Fail(s), false;
        if (ui_.MessageBox(TrFormat(kDiskQuestion, {std::to_string(disk)}), MsgButtons::OkCancel, MsgIcon::Warning) !=
            MsgAnswer::Ok)
            return false;
        for (added = 0; added == 0;) {
            if (const std::string& folder = disks_->Locate(); !folder.empty()) {
                if (IoStatus s = recovery_->TakeVolumes(folder, spool, added); !s) return Fail(s), false;
                if (added > 0) set_.folder = folder;
            }
            const std::string text = TrFormat(N_("ﾃﾞｨｽｸが違います　{1:wide} 番のﾃﾞｨｽｸをｾｯﾄして下さい"), {std::to_string(disk)});
            if (added == 0 && ui_.MessageBox(text, MsgButtons::OkCancel, MsgIcon::Warning) != MsgAnswer::Ok) return false;
        }
    }
    return true;
}

bool JoinRun::WaitFor(int32_t i)
{
    // The first disk is done: its join-info file must not be held open while
    // the disk is swapped.
    if (removable_ && i > 1) joinInfoLock_.Release();
    // Before a question about a missing piece, what was joined goes as it
    // would have.
    if (undeleted_ > 0 && !FileExists(set_.PiecePath(i))) DeleteJoinedBeforeStop();
    IoStatus failure;
    const DiskOfSet ofSet = [this](const std::string& folder, bool& right) { return CheckDisk(folder, right); };
    lostNext_ = false;
    switch (WaitForPiece(window_, ui_, *disks_, i, set_, ofSet, failure, [this, i] { return CanLose(i); })) {
    case PieceWait::Present: return true;
    case PieceWait::Lost: return lostNext_ = true;
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
// may give ".BAT". The join-info file goes last: while it is there, the same
// join run again finds the set and finishes. On a removable drive these files
// are on the first disk, which may no longer be in the drive; the last
// disk's manifest goes first.
void JoinRun::DeleteSetDescription()
{
    if (descriptionGone_ || numbered_) return;
    descriptionGone_ = true;
    if (removable_) {
        DeleteSetFile(ManifestOnDisk());
        if (!FirstDiskInDrive()) return window_.Noted(joinInfoPath_, Tr(kLeftOnFirstDisk));
    }
    const std::string stem = WithBackslash(FolderOf(joinInfoPath_)) + BaseNameOf(FileNameOf(joinInfoPath_));
    for (const std::string& path : {stem + ".bat", stem + ".BAT", stem + ".sha256", joinInfoPath_}) DeleteSetFile(path);
}

// Whether the join-info file given is at its path now with this set's lines.
bool JoinRun::FirstDiskInDrive()
{
    JoinInfo info;
    return FileExists(joinInfoPath_) && ReadJoinInfo(joinInfoPath_, info).ok() && info.countLine == countLine_ &&
           info.sourceName == set_.sourceName;
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
    FinishDeletions();
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

void JoinToOutput(JoinerWindow& window, UiServices& ui, const std::string& joinInfoPath, int output, Drives& drives)
{
    JoinRun run(window, ui, joinInfoPath, std::string(), drives, output);
    run.Run();
}

}  // namespace modMender
