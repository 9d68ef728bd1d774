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
        return IoStatus::Failure("ﾌｧｲﾙ名に連結用ﾊﾞｯﾁﾌｧｲﾙに書けない文字 (制御文字か \") があります");
    SplitSetNames names;
    names.sourceName = sourceName;
    names.baseName = BaseNameOf(sourceName);

    std::string copy = "copy /b ";
    for (int32_t i = 1; i <= pieceCount; ++i) {
        copy += CopyArgument(names.PieceFileName(i));
        copy += '+';
    }
    if (copy.back() == '+') copy.pop_back();
    copy += " " + CopyArgument(sourceName);

    text.utf8 = !Utf8ToCp932(sourceName).has_value();
    text.lines = {"@echo off"};
    // The shell reads each line in its code page of the moment; switched
    // right away, it reads the rest of the file as UTF-8.
    if (text.utf8) text.lines.push_back("chcp 65001 > nul");
    text.lines.push_back("echo 連結用バッチファイル");
    text.lines.push_back("echo " + EchoEscaped(sourceName) + "を復元します");
    text.lines.push_back("echo 連結中．．．");
    text.lines.push_back(copy);
    text.lines.push_back("echo 連結終了しました");
    return IoStatus::Success();
}

}  // namespace modCarver
