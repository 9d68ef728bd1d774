#include <cerrno>

#include "BlockRuns.h"
#include "JoinSteps.h"
#include "ProgressPicture.h"
#include "SharedTexts.h"
#include "modMender.h"

namespace modMender {

PieceEnd CopyPiece(JoinerWindow& window, UiServices& ui, BinaryWriter& rebuilt, const std::string& piecePath,
                   int32_t index, int32_t count, CopyHasher* hasher, IoStatus& failure)
{
    ProgressBox& box = window.StatusBox();
    box.Show();
    DrawProgress(box, 0.0f, true);

    BinaryReader piece;
    if (IoStatus s = piece.Open(piecePath); !s) {
        failure = s;
        return PieceEnd::Failed;
    }
    // Whatever path led to it, a piece must not be the file it is appended to.
    if (IsRebuiltFile(piece, rebuilt)) {
        failure = IoStatus::Failure(kRebuiltIsOwnFile).About(piecePath);
        return PieceEnd::Failed;
    }
    // The length of the file actually opened, so that it cannot differ from
    // the one read.
    const int64_t length = piece.Length();
    if (length < 0) {
        failure = IoStatus::FromErrno(EIO).About(piecePath);
        return PieceEnd::Failed;
    }
    // Counts one block more than are copied when the length is a whole number
    // of blocks: an 8192-byte piece ends at two thirds of the bar.
    const int64_t expectedBlocks = length / static_cast<int64_t>(kBlockSize) + 1;
    const std::string ofCount = " (" + std::to_string(index) + "/" + std::to_string(count) + ")";
    // Translated once per piece: the status changes with every block.
    const std::string bytesLeft = Tr(kBytesLeft);

    // An empty piece has no block to copy and adds nothing.
    int64_t consumed = 0;
    BlockRuns runs(hasher);
    for (int64_t j = 1; consumed < length; ++j) {
        DrawProgress(box, static_cast<float>(static_cast<double>(j) / static_cast<double>(expectedBlocks)));
        const int64_t remaining = length - consumed;
        window.SetStatusText(FillPlaceholders(bytesLeft, {std::to_string(remaining)}) + ofCount);
        ui.Yield();

        const size_t size = remaining > static_cast<int64_t>(kBlockSize) ? kBlockSize : static_cast<size_t>(remaining);
        if (IoStatus s = runs.Next(piece, rebuilt, static_cast<int64_t>(size), remaining); !s) {
            failure = s;
            return PieceEnd::Failed;
        }
        consumed += static_cast<int64_t>(size);
        // Tested only once the block is written: the block in progress when
        // Cancel was pressed is kept, and nothing after it.
        if (CancelRequested) {
            if (IoStatus s = runs.CutAhead(rebuilt); !s) {
                failure = s;
                return PieceEnd::Failed;
            }
            return PieceEnd::Cancelled;
        }
    }
    return PieceEnd::Copied;
}

}  // namespace modMender
