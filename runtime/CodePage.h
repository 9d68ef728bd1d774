#pragma once
// The text files of a split set are written in the ANSI code page of a
// Japanese system (CP932), so that a set made here joins there and the other
// way round. Inside the programs every text is UTF-8.
#include <optional>
#include <string>
#include <string_view>

// CP932 bytes of a UTF-8 text, or nothing when CP932 cannot hold the text:
// a character without a CP932 form, or one that only a lossy mapping takes
// there and that reads back as another character (〜 U+301C becomes 81 60,
// which reads as ～ U+FF5E; ¥ becomes 5C, a backslash).
std::optional<std::string> Utf8ToCp932(std::string_view utf8);

// UTF-8 of CP932 bytes, or nothing when the bytes are not valid CP932.
std::optional<std::string> Cp932ToUtf8(std::string_view cp932);

// The UTF-8 byte-order mark that opens a line written in UTF-8.
inline constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// One line of a split set's text file as bytes: CP932 when the code page can
// hold every character, otherwise the UTF-8 mark followed by the UTF-8 text.
std::string EncodeTextLine(std::string_view utf8);

// The reverse: a line behind the UTF-8 mark is UTF-8, any other line CP932.
// Bytes that are not valid CP932 are kept as they are.
std::string DecodeTextLine(std::string_view bytes);

// Number of characters (code points) of a UTF-8 text.
size_t CharacterCount(std::string_view utf8);

// The last n characters of a UTF-8 text (all of it when shorter).
std::string_view LastCharacters(std::string_view utf8, size_t n);
