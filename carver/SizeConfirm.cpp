#include "SizeConfirm.h"

#include <optional>

#include "NumberFormat.h"
#include "SizeTable.h"

namespace modCarver {

namespace {
std::optional<int32_t> WholeSizeOf(const std::string& text) { return TextToInt32(FormatText(text, "######")); }
}  // namespace

ConfirmedSize ConfirmSizeText(const std::string& sizeBoxText)
{
    ConfirmedSize result;
    std::string text = sizeBoxText;
    const std::optional<int32_t> read = WholeSizeOf(text);
    if (!read || *read < kSmallestSizeKB) text = std::to_string(kSmallestSizeKB);
    if (WholeSizeOf(text).value_or(kSmallestSizeKB) > kLargestSizeKB) {
        text = std::to_string(kLargestSizeKB);
        result.beep = true;
    }
    result.value = WholeSizeOf(text).value_or(kSmallestSizeKB);
    result.text = FormatNumber(result.value, "###,###");
    return result;
}

}  // namespace modCarver
