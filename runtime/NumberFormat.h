#pragma once
// Number patterns and text-to-number conversion with the results the two
// windows and engines rely on.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// A number through one of the patterns "000", "#,###", "###,###", "####" and
// "######": rounded half away from zero to a whole number; "000" pads to at
// least three digits, the "#,###" forms group thousands with "," and show
// nothing for 0 (no leading zeros), the "####" forms write the plain digits.
std::string FormatNumber(double value, std::string_view pattern);

// A text through a pattern: a text that reads as a number (thousands separators
// included, as the windows write them) is formatted; any other text passes
// through unchanged.
std::string FormatText(std::string_view text, std::string_view pattern);

// The number a whole text shows, or nothing when it is not a number: optional
// spaces, sign, digits that may carry "," separators, a decimal part, an exponent.
std::optional<double> NumberShownBy(std::string_view text);

// The leading numeric part of a text; 0 when there is none ("12abc" gives 12,
// "1,500" gives 1, "abc" gives 0).
double TextToNumber(std::string_view text);

// A text as a signed 32-bit whole number (rounded half to even, as a
// conversion does), or nothing when it is not a number or out of range.
std::optional<int32_t> TextToInt32(std::string_view text);

// Decimal digits written with their full-width forms (U+FF10 to U+FF19), for
// the numbers inside questions.
std::string FullWidthDigits(int64_t value);
// The same for the digits inside a text; other characters stay.
std::string FullWidthDigitsOf(std::string_view text);
