#pragma once
// The splitter window's initial state.
#include "CarverForm.h"

namespace modCarver {

// "1.44MB" on (its click sets the size box and the scroll bar), then the file,
// size and folder boxes emptied, and the three check boxes cleared. The size
// box therefore starts empty while the scroll bar keeps 1423.
void ResetWindow(CarverForm& form);

}  // namespace modCarver
