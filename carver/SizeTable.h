#pragma once
// The nine size options of the splitter window: what each writes into the
// size box and the scroll bar, the size OK splits at and the size the piece
// preview divides by. For four presets the last two differ; each holds for
// its own use. Sizes in the window are in KB of 1000 bytes.
#include <cstdint>
#include <string>

namespace modCarver {

inline constexpr int kSizeOptionCount = 9;
inline constexpr int kCustomSizeOption = 8;   // "任意": the size box's own value
inline constexpr int kDefaultSizeOption = 3;  // "1.44MB", also when no option is on

// The range of the size box and of vscNini, in KB.
inline constexpr int32_t kSmallestSizeKB = 7;
inline constexpr int32_t kLargestSizeKB = 32767;

// The caption of optCarver(index).
std::string SizeOptionCaption(int index);

// What a preset (options 0 to 7) writes into txtNini and vscNini when clicked.
std::string PresetSizeBoxText(int index);
int32_t PresetScrollValue(int index);

// The size box text as thousands of bytes: put through "####", its leading
// numeric part (0 when there is none) times 1000.
double CustomSizeBytes(const std::string& sizeBoxText);

// The split size OK passes to the engine for an option; the custom option
// reads the size box.
double SplitSizeFor(int index, const std::string& sizeBoxText);

// The size the piece preview divides by, in whole bytes.
int64_t PreviewSizeFor(int index, const std::string& sizeBoxText);

}  // namespace modCarver
