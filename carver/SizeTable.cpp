#include "SizeTable.h"

#include <array>
#include <cmath>

#include "NumberFormat.h"
#include "Translation.h"

namespace modCarver {

namespace {

struct SizeOption {
    const char* caption;
    const char* sizeBoxNumber;   // what the option writes, before its pattern
    const char* sizeBoxPattern;  // nullptr: written as it stands
    int32_t scrollValue;
    double splitSize;
    int64_t previewSize;
};

// The large presets show the scroll bar's largest value, not the size used.
constexpr std::array<SizeOption, kCustomSizeOption> kPresets{{
    {"640KB", "634", nullptr, 634, 634000, 634000},
    {"720KB", "713", nullptr, 713, 713000, 713000},
    {"1.25MB", "1221", "#,###", 1221, 1220000, 1221000},
    {"1.44MB", "1423", "#,###", 1423, 1421000, 1423000},
    {"100MB", "32767", "###,###", 32767, 95000000, 95000000},
    {"128MB", "32767", "###,###", 32767, 100000000, 100000000},
    {"230MB", "32767", "###,###", 32767, 227000000, 210000000},
    {"640MB", "32767", "###,###", 32767, 628000000, 600000000},
}};

bool IsPreset(int index) { return index >= 0 && index < kCustomSizeOption; }

}  // namespace

std::string SizeOptionCaption(int index)
{
    if (IsPreset(index)) return kPresets[static_cast<size_t>(index)].caption;
    return index == kCustomSizeOption ? N_("任意") : "";
}

std::string PresetSizeBoxText(int index)
{
    if (!IsPreset(index)) return {};
    const SizeOption& option = kPresets[static_cast<size_t>(index)];
    if (option.sizeBoxPattern == nullptr) return option.sizeBoxNumber;
    return FormatText(option.sizeBoxNumber, option.sizeBoxPattern);
}

int32_t PresetScrollValue(int index)
{
    return IsPreset(index) ? kPresets[static_cast<size_t>(index)].scrollValue : 0;
}

double CustomSizeBytes(const std::string& sizeBoxText)
{
    return TextToNumber(FormatText(sizeBoxText, "####")) * 1000;
}

double SplitSizeFor(int index, const std::string& sizeBoxText)
{
    if (IsPreset(index)) return kPresets[static_cast<size_t>(index)].splitSize;
    return CustomSizeBytes(sizeBoxText);
}

int64_t PreviewSizeFor(int index, const std::string& sizeBoxText)
{
    if (IsPreset(index)) return kPresets[static_cast<size_t>(index)].previewSize;
    if (index != kCustomSizeOption) return 0;
    const double bytes = std::round(CustomSizeBytes(sizeBoxText));
    // A size the preview cannot divide by counts as none.
    if (!(bytes > 0) || bytes > 9.0e18) return 0;
    return static_cast<int64_t>(bytes);
}

}  // namespace modCarver
