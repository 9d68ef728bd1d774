#include <gtest/gtest.h>

#include <sys/stat.h>

#include "BatchText.h"
#include "CodePage.h"
#include "FakeSplitterWindow.h"
#include "FileTimeCopy.h"
#include "JoinBatch.h"
#include "Paths.h"
#include "SplitSet.h"
#include "TempFolder.h"

using modCarver::WriteJoinBatch;

namespace {

std::string Cp932(const std::string& utf8)
{
    const auto bytes = Utf8ToCp932(utf8);
    EXPECT_TRUE(bytes.has_value()) << utf8;
    return bytes.value_or("");
}

std::string Lines(std::initializer_list<std::string> lines)
{
    std::string out;
    for (const auto& l : lines) out += l + "\r\n";
    return out;
}

struct JoinBatch : ::testing::Test {
    TempFolder dir;
    FakeSplitterWindow window;

    std::string Write(const std::string& sourceName, int32_t count)
    {
        EXPECT_TRUE(WriteJoinBatch(window, dir.Path(), "/data/" + sourceName, count).ok());
        return ReadBytes(dir / (BaseNameOf(sourceName) + ".bat"));
    }
};

TEST_F(JoinBatch, MovieInThreePiecesByteForByte)
{
    EXPECT_EQ(Write("movie.avi", 3), Cp932(Lines({"@echo off", "echo 連結用バッチファイル", "echo movie.aviを復元します",
                                                  "echo 連結中．．．", "copy /b movie.001+movie.002+movie.003 movie.avi",
                                                  "echo 連結終了しました"})));
    // The full-width stops are CP932 0x81 0x44, with no byte-order mark anywhere.
    const std::string bytes = ReadBytes(dir / "movie.bat");
    EXPECT_NE(bytes.find("\x81\x44\x81\x44\x81\x44\r\n"), std::string::npos);
    EXPECT_EQ(bytes.rfind("@echo off\r\n", 0), 0u);
}

TEST_F(JoinBatch, OnePieceAndADottedName)
{
    EXPECT_EQ(Write("movie.avi", 1), Cp932(Lines({"@echo off", "echo 連結用バッチファイル", "echo movie.aviを復元します",
                                                  "echo 連結中．．．", "copy /b movie.001 movie.avi",
                                                  "echo 連結終了しました"})));
    const std::string archive = Write("archive.tar.gz", 2);
    EXPECT_NE(archive.find(Cp932("echo archive.tar.gzを復元します\r\n")), std::string::npos);
    EXPECT_NE(archive.find("copy /b archive.001+archive.002 archive.tar.gz\r\n"), std::string::npos);
}

TEST_F(JoinBatch, AJapaneseNameIsWrittenInCp932)
{
    // 表 and ソ end in the byte 0x5C in CP932; the shell reads them as one character.
    EXPECT_EQ(Write("表ソ動画.mpg", 2),
              Cp932(Lines({"@echo off", "echo 連結用バッチファイル", "echo 表ソ動画.mpgを復元します", "echo 連結中．．．",
                           "copy /b 表ソ動画.001+表ソ動画.002 表ソ動画.mpg", "echo 連結終了しました"})));
}

TEST_F(JoinBatch, WhatTheShellWouldActOnIsEscaped)
{
    const std::string bytes = Write("a&del *.*&.avi", 2);
    EXPECT_NE(bytes.find(Cp932("echo a^&del *.*^&.aviを復元します\r\n")), std::string::npos);
    // The base name ends at the first dot: "a&del *".
    EXPECT_NE(bytes.find("copy /b \"a&del *.001\"+\"a&del *.002\" \"a&del *.*&.avi\"\r\n"), std::string::npos);
    EXPECT_EQ(bytes.find(" del *.*&.avi\r\n"), std::string::npos);

    EXPECT_NE(Write("my movie.avi", 2).find("copy /b \"my movie.001\"+\"my movie.002\" \"my movie.avi\"\r\n"),
              std::string::npos);
    const std::string percent = Write("100%.avi", 1);
    EXPECT_NE(percent.find(Cp932("echo 100%%.aviを復元します\r\n")), std::string::npos);
    EXPECT_NE(percent.find("copy /b 100%%.001 100%%.avi\r\n"), std::string::npos);
    // Only the source name needs quotes here: the pieces' base name has none of it.
    EXPECT_NE(Write("clip.a+b^c.avi", 1).find("copy /b clip.001 \"clip.a+b^c.avi\"\r\n"), std::string::npos);
    EXPECT_EQ(modCarver::EchoEscaped("x^y|z<w>v"), "x^^y^|z^<w^>v");
    EXPECT_EQ(modCarver::CopyArgument("a,b;c=d(e)"), "\"a,b;c=d(e)\"");
    EXPECT_EQ(modCarver::CopyArgument("plain-name_1.avi"), "plain-name_1.avi");
}

TEST_F(JoinBatch, ANameCp932CannotHoldSwitchesTheShellToUtf8)
{
    const std::string bytes = Write("café.avi", 2);
    EXPECT_EQ(bytes, Lines({"@echo off", "chcp 65001 > nul", "echo 連結用バッチファイル", "echo café.aviを復元します",
                            "echo 連結中．．．", "copy /b café.001+café.002 café.avi", "echo 連結終了しました"}));
    // Characters CP932 would only take as look-alikes: ¥ would turn into a
    // backslash, a folder separator in the copy line.
    for (const std::string name : {"price¥100.txt", "第1話〜最終話.avi", "a¢£¬—‖‾−.bin"}) {
        const std::string base = BaseNameOf(name);
        EXPECT_EQ(Write(name, 1), Lines({"@echo off", "chcp 65001 > nul", "echo 連結用バッチファイル",
                                         "echo " + name + "を復元します", "echo 連結中．．．",
                                         "copy /b " + base + ".001 " + name, "echo 連結終了しました"}));
    }
}

// A set whose copy line would pass the shell's 8,191 characters joins line by
// line: as many pieces as fit, then appending to the rebuilt file; each copy
// is followed by a test of its error level. A set that fits is one line.
TEST_F(JoinBatch, ALongSetIsCopiedInLinesTheShellCanRead)
{
    // A 22-letter base name: "copy /b " + N × 27 characters less one "+", then
    // " " and the 26-character name: 8,188 characters for 302 pieces, 8,215 for 303.
    const std::string name22 = "abcdefghijklmnopqrstuv.bin";
    struct Case { std::string name; int32_t pieces; size_t copyLines; };
    const Case cases[] = {{name22, 302, 1}, {name22, 303, 2},      {"movie.avi", 1000, 2},
                          {"my movie.avi", 1500, 3}, {"café.avi", 1000, 2}, {"100%.avi", 1000, 2}};
    for (const Case& c : cases) {
        SplitSetNames set;
        set.baseName = BaseNameOf(c.name);
        const std::string bytes = Write(c.name, c.pieces);
        const std::string text = Utf8ToCp932(c.name) ? DecodeTextLine(bytes) : bytes;
        std::vector<std::string> copies;
        size_t start = 0, checks = 0;
        for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
            const std::string line = text.substr(start, end - start);
            EXPECT_LE(std::count_if(line.begin(), line.end(), [](char ch) { return (ch & 0xC0) != 0x80; }), 8191)
                << c.name;
            if (line.rfind("copy /b ", 0) == 0) copies.push_back(line);
            if (line == "if errorlevel 1 exit /b 1") ++checks;
        }
        ASSERT_EQ(copies.size(), c.copyLines) << c.name << " " << c.pieces;
        EXPECT_EQ(checks, c.copyLines > 1 ? c.copyLines : 0u) << "a set that fits keeps its one line, as always";
        // Every piece once, in order; every line after the first starts from the rebuilt file.
        const std::string target = modCarver::CopyArgument(c.name);
        int32_t next = 1;
        for (size_t k = 0; k < copies.size(); ++k) {
            std::string sources = copies[k].substr(8, copies[k].size() - 8 - target.size() - 1);
            EXPECT_TRUE(copies[k].ends_with(" " + target)) << copies[k].substr(0, 60);
            if (k > 0) {
                ASSERT_EQ(sources.rfind(target + "+", 0), 0u) << sources.substr(0, 60);
                sources.erase(0, target.size() + 1);
            }
            for (size_t from = 0; from <= sources.size(); ++next) {
                const size_t plus = std::min(sources.find('+', from), sources.size());
                EXPECT_EQ(sources.substr(from, plus - from), modCarver::CopyArgument(set.PieceFileName(next)));
                from = plus + 1;
            }
        }
        EXPECT_EQ(next, c.pieces + 1) << c.name;
    }
}

// The shell's view of a line: characters that end the command or redirect it,
// outside quotes and not escaped by a caret.
int ActiveOperators(const std::string& line)
{
    int found = 0;
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"') quoted = !quoted;
        else if (!quoted && c == '^') ++i;
        else if (!quoted && (c == '&' || c == '|' || c == '<' || c == '>')) ++found;
    }
    return found;
}

TEST_F(JoinBatch, NoNameCanAddACommandOfItsOwn)
{
    for (const std::string name : {"a&del *.*&.avi", "a|del x.avi", "a<b>c.avi", "x^&y.avi", "a&&b||c.x y",
                                   "(a)&(b).avi", "p%PATH%q.avi", "a&b.c|d e.f"}) {
        const std::string bytes = Write(name, 3);
        const std::string text = DecodeTextLine(bytes);
        size_t start = 0;
        for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
            const std::string line = text.substr(start, end - start);
            EXPECT_EQ(ActiveOperators(line), 0) << line;
            std::string percents = line;
            for (size_t at; (at = percents.find("%%")) != std::string::npos;) percents.erase(at, 2);
            EXPECT_EQ(percents.find('%'), std::string::npos) << "every % is doubled: " << line;
        }
    }
}

TEST_F(JoinBatch, NamesALineCannotCarrySafelyAreRefusedBeforeAnythingIsWritten)
{
    WriteBytes(dir / "x.bat", "old");
    for (const std::string name : {"x\".avi", "x\r\ndel *.*\r\n.avi", "x\ty.avi"}) {
        const IoStatus s = WriteJoinBatch(window, dir.Path(), "/data/" + name, 2);
        EXPECT_FALSE(s.ok()) << name;
        EXPECT_NE(s.Description().find("ﾊﾞｯﾁﾌｧｲﾙ"), std::string::npos);
    }
    EXPECT_EQ(ReadBytes(dir / "x.bat"), "old");
}

TEST_F(JoinBatch, ReplacesAnOlderFileAndFailsOnlyWhenItCannotBeCreated)
{
    WriteBytes(dir / "movie.bat", std::string(5000, 'x'));
    Write("movie.avi", 1);
    EXPECT_EQ(ReadBytes(dir / "movie.bat").find('x'), std::string::npos);

    EXPECT_FALSE(WriteJoinBatch(window, dir / "missing/", "/data/movie.avi", 1).ok());
    WriteBytes(dir / "ro.bat", "keep");
    ::chmod((dir / "ro.bat").c_str(), 0444);
    EXPECT_FALSE(WriteJoinBatch(window, dir.Path(), "/data/ro.avi", 1).ok());
    EXPECT_EQ(ReadBytes(dir / "ro.bat"), "keep");
}

TEST_F(JoinBatch, TakesTheSourceTimesWhenTheDateBoxIsTickedAtThatMoment)
{
    modCarver::SourceTimes = {0, FileTimeFromUnix(946684800, 0), FileTimeFromUnix(915148800, 0)};
    Write("plain.avi", 1);
    FileTimeSet t;
    ASSERT_TRUE(SystemFileTimes().Read(dir / "plain.bat", t));
    EXPECT_NE(t.lastWrite, modCarver::SourceTimes.lastWrite);

    window.setDate = true;
    ASSERT_TRUE(WriteJoinBatch(window, dir.Path(), "/data/dated.avi", 1).ok());
    ASSERT_TRUE(SystemFileTimes().Read(dir / "dated.bat", t));
    EXPECT_EQ(t.lastWrite, modCarver::SourceTimes.lastWrite);
    EXPECT_EQ(t.lastAccess, modCarver::SourceTimes.lastAccess);
    modCarver::SourceTimes = {};
}

}  // namespace
