#pragma once
// The size box confirmed (Enter, or leaving the box): the box accepts any
// typing, and only this step turns its text into a size within the scroll
// bar's range.
#include <cstdint>
#include <string>

namespace modCarver {

struct ConfirmedSize {
    int32_t value = 0;  // KB, for vscNini
    std::string text;   // the box's new text, value in "###,###"
    bool beep = false;  // the size was above the largest one
};

// Text that is no whole 32-bit number once rounded, or one below the smallest
// size, becomes the smallest size silently; one above the largest size
// becomes the largest with a beep.
ConfirmedSize ConfirmSizeText(const std::string& sizeBoxText);

}  // namespace modCarver
