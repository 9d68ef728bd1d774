#include "NumberFormat.h"

#include <cmath>
#include <cstdlib>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string GroupThousands(const std::string& digits)
{
    std::string out;
    const size_t n = digits.size();
    for (size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

// Parses a number at the start of text: sign, digits (with "," between digits
// when allowCommas), decimal part, exponent. Returns the characters consumed
// (0 when no digit was found) and writes the cleaned-up number to out.
size_t ScanNumber(std::string_view text, bool allowCommas, std::string& out)
{
    size_t i = 0;
    out.clear();
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) out += text[i++];
    bool digits = false;
    while (i < text.size()) {
        if (IsDigit(text[i])) {
            out += text[i++];
            digits = true;
        } else if (allowCommas && digits && text[i] == ',' && i + 1 < text.size() && IsDigit(text[i + 1])) {
            ++i;
        } else {
            break;
        }
    }
    if (i < text.size() && text[i] == '.') {
        size_t j = i + 1;
        std::string frac = ".";
        while (j < text.size() && IsDigit(text[j])) frac += text[j++];
        if (frac.size() > 1 || digits) {
            digits = digits || frac.size() > 1;
            out += frac;
            i = j;
        }
    }
    if (!digits) return 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        size_t j = i + 1;
        std::string exp = "e";
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) exp += text[j++];
        if (j < text.size() && IsDigit(text[j])) {
            while (j < text.size() && IsDigit(text[j])) exp += text[j++];
            out += exp;
            i = j;
        }
    }
    return i;
}

double RoundHalfAway(double v) { return std::round(v); }

std::string WholeDigits(double rounded)
{
    // Exact decimal digits of a whole number held in a double.
    char buf[400];
    std::snprintf(buf, sizeof buf, "%.0f", std::fabs(rounded));
    return buf;
}

}  // namespace

std::string FormatNumber(double value, std::string_view pattern)
{
    const double rounded = RoundHalfAway(value);
    const bool negative = rounded < 0;
    std::string digits = WholeDigits(rounded);
    std::string body;
    if (pattern == "000") {
        while (digits.size() < 3) digits.insert(digits.begin(), '0');
        body = digits;
    } else if (pattern == "#,###" || pattern == "###,###") {
        body = rounded == 0 ? std::string() : GroupThousands(digits);
    } else {  // "####", "######"
        body = digits;
    }
    return negative ? "-" + body : body;
}

std::optional<double> NumberShownBy(std::string_view text)
{
    size_t start = 0, end = text.size();
    while (start < end && IsBlank(text[start])) ++start;
    while (end > start && IsBlank(text[end - 1])) --end;
    const std::string_view core = text.substr(start, end - start);
    std::string cleaned;
    const size_t used = ScanNumber(core, true, cleaned);
    if (used == 0 || used != core.size()) return std::nullopt;
    return std::strtod(cleaned.c_str(), nullptr);
}

std::string FormatText(std::string_view text, std::string_view pattern)
{
    const auto number = NumberShownBy(text);
    if (!number) return std::string(text);
    return FormatNumber(*number, pattern);
}

double TextToNumber(std::string_view text)
{
    size_t start = 0;
    while (start < text.size() && IsBlank(text[start])) ++start;
    std::string cleaned;
    if (ScanNumber(text.substr(start), false, cleaned) == 0) return 0;
    return std::strtod(cleaned.c_str(), nullptr);
}

std::optional<int32_t> TextToInt32(std::string_view text)
{
    const auto number = NumberShownBy(text);
    if (!number) return std::nullopt;
    const double rounded = std::nearbyint(*number);  // half to even
    if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) return std::nullopt;
    return static_cast<int32_t>(rounded);
}

std::string FullWidthDigits(int64_t value) { return FullWidthDigitsOf(std::to_string(value)); }

std::string FullWidthDigitsOf(std::string_view plain)
{
    std::string out;
    for (char c : plain) {
        if (IsDigit(c)) {
            // U+FF10 + d in UTF-8: EF BC 90+d
            out += '\xEF';
            out += '\xBC';
            out += static_cast<char>(0x90 + (c - '0'));
        } else {
            out += c;
        }
    }
    return out;
}
