#pragma once
// The piece-count preview: how many pieces the chosen file and size give,
// shown in lblAfter as the range of piece names ("*.001～*.012").
#include <cstdint>

#include "CarverForm.h"

namespace modCarver {

// The file's length divided by the preview size of the chosen option, rounded
// up. 0 when the file box is blank, the file cannot be measured or the size is
// 0. The true count, also above 32767.
int64_t CountPieces(const CarverForm& form);

// lblAfter = the range of CountPieces, written as the split names its pieces
// ("*.001～*.1234" for 1234 pieces).
void UpdatePieceRange(CarverForm& form);

}  // namespace modCarver
