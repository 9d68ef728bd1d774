#include <gtest/gtest.h>

#include <cstdio>
#include <csignal>

#include "TerminalUi.h"

namespace {

// Standard input from a text, standard error captured.
struct Console {
    explicit Console(const std::string& input)
    {
        in = std::tmpfile();
        out = std::tmpfile();
        std::fputs(input.c_str(), in);
        std::rewind(in);
    }
    ~Console()
    {
        std::fclose(in);
        std::fclose(out);
    }
    std::string Output()
    {
        std::fflush(out);
        std::string s;
        std::rewind(out);
        for (int c; (c = std::fgetc(out)) != EOF;) s += static_cast<char>(c);
        return s;
    }
    std::FILE* in;
    std::FILE* out;
};

}  // namespace

TEST(TerminalAnswers, WordsInAnyCaseAndTheEmptyLine)
{
    struct Case { const char* line; MsgButtons buttons; bool valid; MsgAnswer answer; };
    const Case cases[] = {
        {"ok\n", MsgButtons::OkCancel, true, MsgAnswer::Ok},      {"O\n", MsgButtons::OkCancel, true, MsgAnswer::Ok},
        {"YES\n", MsgButtons::OkCancel, true, MsgAnswer::Ok},     {"\n", MsgButtons::OkCancel, true, MsgAnswer::Ok},
        {"Cancel\n", MsgButtons::OkCancel, true, MsgAnswer::Cancel}, {"c\n", MsgButtons::OkCancel, true, MsgAnswer::Cancel},
        {"no\n", MsgButtons::OkCancel, false, MsgAnswer::Ok},      {"maybe\n", MsgButtons::OkCancel, false, MsgAnswer::Ok},
        {"y\n", MsgButtons::YesNoCancel, true, MsgAnswer::Yes},    {"\n", MsgButtons::YesNoCancel, true, MsgAnswer::Yes},
        {"N\n", MsgButtons::YesNoCancel, true, MsgAnswer::No},     {" no \n", MsgButtons::YesNoCancel, true, MsgAnswer::No},
        {"C\n", MsgButtons::YesNoCancel, true, MsgAnswer::Cancel},
        // Yes/No: the empty line is the default button, No; there is no Cancel.
        {"y\n", MsgButtons::YesNo, true, MsgAnswer::Yes},        {"\n", MsgButtons::YesNo, true, MsgAnswer::No},
        {"NO\n", MsgButtons::YesNo, true, MsgAnswer::No},        {"c\n", MsgButtons::YesNo, false, MsgAnswer::Ok},
        // The Japanese words of the choices shown, in every language.
        {"はい\n", MsgButtons::YesNo, true, MsgAnswer::Yes},     {" いいえ\n", MsgButtons::YesNoCancel, true, MsgAnswer::No},
        {"キャンセル\n", MsgButtons::OkCancel, true, MsgAnswer::Cancel},
        {"いいえ\n", MsgButtons::OkCancel, false, MsgAnswer::Ok}, {"キャンセル\n", MsgButtons::YesNo, false, MsgAnswer::Ok},
    };
    for (const auto& c : cases) {
        MsgAnswer a = MsgAnswer::Ok;
        EXPECT_EQ(ParseAnswer(c.line, c.buttons, a), c.valid) << c.line;
        if (c.valid) {
            EXPECT_EQ(a, c.answer) << c.line;
        }
    }
}

TEST(TerminalQuestions, AskedOnStandardErrorAndAnsweredFromStandardInput)
{
    Console console("what\nno\n\nc\n");
    TerminalProgress progress(console.out, false);
    TerminalUi ui(console.in, console.out, progress, {"carver-cli"});
    EXPECT_EQ(ui.MessageBox("ﾌｧｲﾙの連結を行います", MsgButtons::OkCancel, MsgIcon::Warning), MsgAnswer::Ok)
        << "an invalid line asks again; 'no' is not an answer to OK/Cancel; the empty line is OK";
    EXPECT_FALSE(ui.GaveUp());
    EXPECT_EQ(ui.MessageBox("line 1\r\nline 2", MsgButtons::YesNoCancel, MsgIcon::Warning), MsgAnswer::Cancel);
    EXPECT_TRUE(ui.GaveUp());
    EXPECT_EQ(ui.MessageBox("again", MsgButtons::OkCancel, MsgIcon::Warning), MsgAnswer::Cancel)
        << "end of input is Cancel";
    const std::string out = console.Output();
    EXPECT_NE(out.find("ﾌｧｲﾙの連結を行います [OK/キャンセル] "), std::string::npos);
    EXPECT_NE(out.find("line 1\nline 2 [はい/いいえ/キャンセル] "), std::string::npos) << out;
    EXPECT_FALSE(ui.Failed());
}

TEST(TerminalQuestions, YesAnswersOnlyTheConfirmationAndTheDiskQuestions)
{
    Console console("c\n");
    TerminalProgress progress(console.out, false);
    TerminalUi ui(console.in, console.out, progress, {"carver-cli", true});
    EXPECT_EQ(ui.MessageBox("分割数は *.001～*.003 の ３ です", MsgButtons::OkCancel, MsgIcon::Warning), MsgAnswer::Ok);
    EXPECT_EQ(ui.MessageBox("ﾌｧｲﾙの連結を行います", MsgButtons::OkCancel, MsgIcon::Warning), MsgAnswer::Ok);
    EXPECT_EQ(ui.MessageBox("１枚目のﾃﾞｨｽｸをｾｯﾄして下さい", MsgButtons::OkCancel, MsgIcon::Warning), MsgAnswer::Ok);
    EXPECT_EQ(ui.MessageBox("２ 枚目のﾃﾞｨｽｸをｾｯﾄして下さい", MsgButtons::OkCancel, MsgIcon::Warning), MsgAnswer::Ok);
    // Every other question is still asked.
    EXPECT_EQ(ui.MessageBox("ﾃﾞｨｽｸが違います　２ 番のﾃﾞｨｽｸをｾｯﾄして下さい", MsgButtons::OkCancel, MsgIcon::Warning),
              MsgAnswer::Cancel);
    EXPECT_TRUE(ui.GaveUp());
}

TEST(TerminalQuestions, AStopMessageNamesTheProgramOnEveryLine)
{
    Console console("");
    TerminalProgress progress(console.out, false);
    TerminalUi ui(console.in, console.out, progress, {"carver-cli"});
    EXPECT_EQ(ui.MessageBox("ﾌｧｲﾙ分割失敗 原因を調査後再度実行して下さい\r\nNo such file or directory", MsgButtons::Ok,
                            MsgIcon::Stop),
              MsgAnswer::Ok);
    EXPECT_TRUE(ui.Failed());
    EXPECT_FALSE(ui.GaveUp());
    EXPECT_EQ(console.Output(), "carver-cli: ﾌｧｲﾙ分割失敗 原因を調査後再度実行して下さい\n"
                                "carver-cli: No such file or directory\n");
}

// (The file named in the line is tested through the real programs.)
TEST(TerminalQuestions, AFailureWithoutAFileIsStillOneLine)
{
    Console console("");
    TerminalProgress progress(console.out, false);
    TerminalUi ui(console.in, console.out, progress, {"mender-cli"});
    ui.ShowFailure("ﾌｧｲﾙ連結失敗", IoStatus::Failure("two\r\nlines"));
    EXPECT_EQ(console.Output(), "mender-cli: ﾌｧｲﾙ連結失敗: two\\r\\nlines\n");
    EXPECT_TRUE(ui.Failed());
}

// What a file name or a file's line holds never acts on the terminal; only a
// message's own CR LF breaks its line.
TEST(TerminalQuestions, ControlCharactersAreShownEscaped)
{
    const std::pair<std::string, std::string> cases[] = {
        {"\x1b[31mRED\x1b[0m\a", "\\x1b[31mRED\\x1b[0m\\x07"},
        {"a\tb\nc\rd\x7f", "a\\tb\\nc\\rd\\x7f"},
        {"\xc2\x9b" "2J 動画 café", "\\u009b2J 動画 café"},
        {"", ""},
    };
    for (const auto& [text, shown] : cases) EXPECT_EQ(PrintableText(text), shown) << shown;

    Console console("");
    TerminalProgress progress(console.out, false);
    TerminalUi ui(console.in, console.out, progress, {"mender-cli"});
    EXPECT_EQ(ui.MessageBox("「\x1b]0;x\a」\r\nnext", MsgButtons::OkCancel, MsgIcon::Warning), MsgAnswer::Cancel);
    ui.DiskFoundAt("/media/u/\x1b[2J/");
    EXPECT_EQ(console.Output(), "「\\x1b]0;x\\x07」\nnext [OK/キャンセル] \nﾃﾞｨｽｸは /media/u/\\x1b[2J/ にあります\n");
}

// Which questions -y and --force answer by themselves; every other one is
// asked, and the end of input declines it.
TEST(TerminalQuestions, WhatYesAndForceAnswer)
{
    const std::string overwrite = "「a.bin」は既に存在します　上書きしますか";
    const std::string overwriteSet = "分割先に「a.001」があります　上書きしますか";
    const std::string otherSize = "「a.003」の大きさが他の分割ﾌｧｲﾙと違います　連結を続けますか";
    const std::string resume = "「a.bin」は 3 番まで連結済みです　続きを連結しますか";
    const std::string count = "分割数は *.001～*.003 の ３ です";
    const std::string wrongDisk = "ﾃﾞｨｽｸが違います　２ 番のﾃﾞｨｽｸをｾｯﾄして下さい";
    struct Case { std::string text; MsgButtons buttons; bool yes, force; MsgAnswer answer; };
    const Case cases[] = {
        {overwrite, MsgButtons::YesNo, true, false, MsgAnswer::No},
        {overwrite, MsgButtons::YesNo, false, true, MsgAnswer::Yes},
        {overwriteSet, MsgButtons::YesNo, true, false, MsgAnswer::No},
        {overwriteSet, MsgButtons::YesNo, false, true, MsgAnswer::Yes},
        {otherSize, MsgButtons::YesNo, true, false, MsgAnswer::No},
        {otherSize, MsgButtons::YesNo, false, true, MsgAnswer::Yes},
        {resume, MsgButtons::YesNo, true, false, MsgAnswer::Yes},
        {resume, MsgButtons::YesNo, false, true, MsgAnswer::No},
        {count, MsgButtons::OkCancel, true, false, MsgAnswer::Ok},
        {count, MsgButtons::OkCancel, false, true, MsgAnswer::Cancel},
        {wrongDisk, MsgButtons::OkCancel, true, true, MsgAnswer::Cancel},
    };
    for (const bool quiet : {false, true}) {
        for (const Case& c : cases) {
            Console console("");
            TerminalProgress progress(console.out, false);
            TerminalUi ui(console.in, console.out, progress, {"mender-cli", c.yes, c.force, quiet});
            const std::string what = c.text + (c.yes ? " -y" : "") + (c.force ? " --force" : "");
            EXPECT_EQ(ui.MessageBox(c.text, c.buttons, MsgIcon::Warning), c.answer) << what;
            const bool answeredByItself = c.answer == MsgAnswer::Yes || c.answer == MsgAnswer::Ok;
            EXPECT_EQ(ui.GaveUp(), !answeredByItself) << what;
            const std::string choices = c.buttons == MsgButtons::YesNo ? " [はい/いいえ] " : " [OK/キャンセル] ";
            std::string shown;
            if (!answeredByItself) {
                shown = c.text + choices + "\n";  // asked, then the end of input
            } else if (!quiet) {
                shown = c.text + choices + (c.answer == MsgAnswer::Yes ? "はい" : "OK") + "\n";
            }
            EXPECT_EQ(console.Output(), shown) << what << (quiet ? " -q" : "");
        }
    }
}

TEST(TerminalQuestions, NoToAYesNoQuestionDeclinesTheRun)
{
    Console console("maybe\nn\n");
    TerminalProgress progress(console.out, false);
    TerminalUi ui(console.in, console.out, progress, {"mender-cli"});
    EXPECT_EQ(ui.MessageBox("「a.bin」は既に存在します　上書きしますか", MsgButtons::YesNo, MsgIcon::Warning),
              MsgAnswer::No);
    EXPECT_TRUE(ui.GaveUp());
    EXPECT_EQ(console.Output(), "「a.bin」は既に存在します　上書きしますか [はい/いいえ] \n"
                                "「a.bin」は既に存在します　上書きしますか [はい/いいえ] \n")
        << "asked again after an answer that is none";
}

TEST(TerminalProgressLine, DrawnOnlyOnATerminalAndErasedWhenHidden)
{
    {
        Console console("");
        TerminalProgress progress(console.out, false);
        progress.Show();
        DrawProgress(progress, 0.5f);
        progress.SetStatusText("残り 4096 (1/2)");
        progress.Redraw(true);
        EXPECT_EQ(console.Output(), "") << "nothing when standard error is not a terminal";
    }
    Console console("");
    TerminalProgress progress(console.out, true);
    progress.Show();
    DrawProgress(progress, 0.5f);
    progress.SetStatusText("残り 4096 (1/2)");
    progress.CountBlock();
    progress.Redraw(true);
    progress.Redraw();  // within a tenth of a second: not drawn again
    progress.Hide();
    const std::string out = console.Output();
    const std::string bar = "[" + std::string(15, '#') + std::string(15, ' ') + "]  50%  残り 4096 (1/2)  ";
    EXPECT_NE(out.find(bar), std::string::npos) << out;
    EXPECT_EQ(out.find(bar), out.rfind(bar)) << "redrawn at most ten times a second";
    EXPECT_TRUE(out.ends_with("\r\033[K"));
}

TEST(TerminalInterrupt, CtrlCDuringTheCopyRequestsCancellation)
{
    Console console("");
    TerminalProgress progress(console.out, false);
    TerminalUi ui(console.in, console.out, progress, {"carver-cli"});
    bool cancel = false;
    ui.onInterrupt = [&] { cancel = true; };
    TerminalUi::InstallInterruptHandler();
    ui.Yield();
    EXPECT_FALSE(cancel);
    std::raise(SIGINT);
    ui.Yield();
    EXPECT_TRUE(cancel);
    EXPECT_TRUE(ui.Interrupted());
    std::signal(SIGINT, SIG_DFL);
}

TEST(TerminalQuestions, DiskNotesStandOnLinesOfTheirOwnAroundTheQuestion)
{
    Console console("ok\n");
    TerminalProgress progress(console.out, true);
    TerminalUi ui(console.in, console.out, progress, {"carver-cli"});
    progress.Show();
    progress.Redraw(true);
    ui.DiskCanBeRemoved("/dev/sdb1");
    EXPECT_EQ(ui.MessageBox("２ 枚目のﾃﾞｨｽｸをｾｯﾄして下さい", MsgButtons::OkCancel, MsgIcon::Warning), MsgAnswer::Ok);
    ui.DiskFoundAt("/media/user/DISK2/films/");
    const std::string out = console.Output();
    const std::string notes = "\r\033[Kﾃﾞｨｽｸを取り出せます: udisksctl unmount -b /dev/sdb1\n"
                              "２ 枚目のﾃﾞｨｽｸをｾｯﾄして下さい [OK/キャンセル] \n"
                              "ﾃﾞｨｽｸは /media/user/DISK2/films/ にあります\n";
    ASSERT_GE(out.size(), notes.size()) << out;
    EXPECT_EQ(out.substr(out.size() - notes.size()), notes) << "the progress line is erased before the first note";
}
