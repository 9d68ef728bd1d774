#include "BatchText.h"

#include <algorithm>

#include "CodePage.h"
#include "Paths.h"
#include "SplitSet.h"

namespace modCarver {

namespace {

std::string DoublePercent(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        out += c;
        if (c == '%') out += '%';
    }
    return out;
}

// Characters that end an argument or start an operator when unquoted.
bool NeedsQuotes(std::string_view name)
{
    return name.find_first_of(" \t&^,;=+()|<>") != std::string_view::npos;
}

// The longest line the command shell takes, in characters.
constexpr size_t kLongestShellLine = 8191;

// Characters as the shell counts them (UTF-16 units) of a UTF-8 text.
size_t ShellLength(std::string_view utf8)
{
    size_t units = 0;
    for (const char c : utf8) {
        const auto u = static_cast<unsigned char>(c);
        if ((u & 0xC0) != 0x80) ++units;  // a character starts
        if (u >= 0xF0) ++units;           // beyond the BMP: a surrogate pair
    }
    return units;
}

// The copy lines. One line when it fits, as it always was; otherwise a first
// line with as many pieces as fit and lines that append the next pieces to
// the rebuilt file, each followed by a test that ends the script with the
// copy's error level, so that a failed copy never reaches the finished line.
std::vector<std::string> CopyLines(const SplitSetNames& names, int32_t pieceCount)
{
    const std::string target = " " + CopyArgument(names.sourceName);
    std::string one = "copy /b ";
    for (int32_t i = 1; i <= pieceCount; ++i) one += CopyArgument(names.PieceFileName(i)) + "+";
    if (one.back() == '+') one.pop_back();
    if (ShellLength(one + target) <= kLongestShellLine) return {one + target};

    std::vector<std::string> lines;
    for (int32_t i = 1; i <= pieceCount;) {
        std::string sources = lines.empty() ? std::string() : CopyArgument(names.sourceName);
        for (bool first = true; i <= pieceCount; ++i, first = false) {
            const std::string more = (sources.empty() ? "" : "+") + CopyArgument(names.PieceFileName(i));
            if (!first && ShellLength("copy /b " + sources + more + target) > kLongestShellLine) break;
            sources += more;
        }
        lines.push_back("copy /b " + sources + target);
        lines.push_back("if errorlevel 1 exit /b 1");
    }
    return lines;
}

}  // namespace

bool BatchCannotCarry(std::string_view name)
{
    return std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == '"'; });
}

std::string EchoEscaped(std::string_view name)
{
    std::string out;
    for (const char c : name) {
        if (std::string_view("^&|<>\"").find(c) != std::string_view::npos) out += '^';
        out += c;
        if (c == '%') out += '%';
    }
    return out;
}

std::string CopyArgument(std::string_view name)
{
    const std::string doubled = DoublePercent(name);
    return NeedsQuotes(name) ? "\"" + doubled + "\"" : doubled;
}

IoStatus ComposeJoinBatch(const std::string& sourceName, int32_t pieceCount, JoinBatchText& text)
{
    if (BatchCannotCarry(sourceName))
        return IoStatus::Failure(N_("ﾌｧｲﾙ名に連結用ﾊﾞｯﾁﾌｧｲﾙに書けない文字 (制御文字か \") があります"));
    SplitSetNames names;
    names.sourceName = sourceName;
    names.baseName = BaseNameOf(sourceName);

    text.utf8 = !Utf8ToCp932(sourceName).has_value();
    text.lines = {"@echo off"};
    // The shell reads each line in its code page of the moment; switched
    // right away, it reads the rest of the file as UTF-8.
    if (text.utf8) text.lines.push_back("chcp 65001 > nul");
    text.lines.push_back("echo 連結用バッチファイル");
    text.lines.push_back("echo " + EchoEscaped(sourceName) + "を復元します");
    text.lines.push_back("echo 連結中．．．");
    for (std::string& line : CopyLines(names, pieceCount)) text.lines.push_back(std::move(line));
    text.lines.push_back("echo 連結終了しました");
    return IoStatus::Success();
}

}  // namespace modCarver
