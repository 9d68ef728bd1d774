#pragma once
// The text of a box as both programs' routines use it: trimmed of spaces at
// both ends (spaces only; tabs and other blanks are kept).
#include <string>

inline std::string TrimSpaces(const std::string& text)
{
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}
