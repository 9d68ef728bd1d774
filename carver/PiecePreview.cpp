#include "PiecePreview.h"

#include <string>

#include "BlockPlan.h"
#include "BoxText.h"
#include "Files.h"
#include "SizeTable.h"

namespace modCarver {

int64_t CountPieces(const CarverForm& form)
{
    // The file the split would read: OK passes the box's text trimmed.
    const std::string path = TrimSpaces(form.FileBoxText());
    if (path.empty()) return 0;

    // The last of the options that is on decides, the custom one included.
    int64_t size = 0;
    for (int index = 0; index < kSizeOptionCount; ++index) {
        if (form.SizeOptionOn(index)) size = PreviewSizeFor(index, form.SizeBoxText());
    }
    const int64_t length = FileLength(path);
    if (size <= 0 || length <= 0) return 0;
    return length / size + (length % size > 0 ? 1 : 0);
}

void UpdatePieceRange(CarverForm& form) { form.SetPieceRange(PieceRangeText(CountPieces(form))); }

}  // namespace modCarver
