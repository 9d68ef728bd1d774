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
    TerminalUi ui(console.in, console.out, progress, false);
    EXPECT_EQ(ui.MessageBox("ﾌｧｲﾙの連結を行います", MsgButtons::OkCancel, MsgIcon::Warning), MsgAnswer::Ok)
        << "an invalid line asks again; 'no' is not an answer to OK/Cancel; the empty line is OK";
    EXPECT_FALSE(ui.GaveUp());
    EXPECT_EQ(ui.MessageBox("line 1\r\nline 2", MsgButtons::YesNoCancel, MsgIcon::Warning), MsgAnswer::Cancel);
    EXPECT_TRUE(ui.GaveUp());
    EXPECT_EQ(ui.MessageBox("again", MsgButtons::OkCancel, MsgIcon::Warning), MsgAnswer::Cancel)
        << "end of input is Cancel";
    const std::string out = console.Output();
    EXPECT_NE(out.find("ﾌｧｲﾙの連結を行います [OK/Cancel] "), std::string::npos);
    EXPECT_NE(out.find("line 1\nline 2 [Yes/No/Cancel] "), std::string::npos) << out;
    EXPECT_FALSE(ui.Failed());
}

TEST(TerminalQuestions, YesAnswersOnlyTheConfirmationAndTheDiskQuestions)
{
    Console console("c\n");
    TerminalProgress progress(console.out, false);
    TerminalUi ui(console.in, console.out, progress, true);
    EXPECT_EQ(ui.MessageBox("分割数は *.001～*.003 の ３ です", MsgButtons::OkCancel, MsgIcon::Warning), MsgAnswer::Ok);
    EXPECT_EQ(ui.MessageBox("ﾌｧｲﾙの連結を行います", MsgButtons::OkCancel, MsgIcon::Warning), MsgAnswer::Ok);
    EXPECT_EQ(ui.MessageBox("１枚目のﾃﾞｨｽｸをｾｯﾄして下さい", MsgButtons::OkCancel, MsgIcon::Warning), MsgAnswer::Ok);
    EXPECT_EQ(ui.MessageBox("２ 枚目のﾃﾞｨｽｸをｾｯﾄして下さい", MsgButtons::OkCancel, MsgIcon::Warning), MsgAnswer::Ok);
    // Every other question is still asked.
    EXPECT_EQ(ui.MessageBox("ﾃﾞｨｽｸが違います　２ 番のﾃﾞｨｽｸをｾｯﾄして下さい", MsgButtons::OkCancel, MsgIcon::Warning),
              MsgAnswer::Cancel);
    EXPECT_TRUE(ui.GaveUp());
}

TEST(TerminalQuestions, FailureMessageGoesOutAsItStands)
{
    Console console("");
    TerminalProgress progress(console.out, false);
    TerminalUi ui(console.in, console.out, progress, false);
    EXPECT_EQ(ui.MessageBox("ﾌｧｲﾙ分割失敗 原因を調査後再度実行して下さい\r\nNo such file or directory", MsgButtons::Ok,
                            MsgIcon::Stop),
              MsgAnswer::Ok);
    EXPECT_TRUE(ui.Failed());
    EXPECT_FALSE(ui.GaveUp());
    EXPECT_EQ(console.Output(), "ﾌｧｲﾙ分割失敗 原因を調査後再度実行して下さい\nNo such file or directory\n");
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
    TerminalUi ui(console.in, console.out, progress, false);
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
    TerminalUi ui(console.in, console.out, progress, false);
    progress.Show();
    progress.Redraw(true);
    ui.DiskCanBeRemoved("/dev/sdb1");
    EXPECT_EQ(ui.MessageBox("２ 枚目のﾃﾞｨｽｸをｾｯﾄして下さい", MsgButtons::OkCancel, MsgIcon::Warning), MsgAnswer::Ok);
    ui.DiskFoundAt("/media/user/DISK2/films/");
    const std::string out = console.Output();
    const std::string notes = "\r\033[Kthe disk can be taken out: udisksctl unmount -b /dev/sdb1\n"
                              "２ 枚目のﾃﾞｨｽｸをｾｯﾄして下さい [OK/Cancel] \n"
                              "disk found at /media/user/DISK2/films/\n";
    ASSERT_GE(out.size(), notes.size()) << out;
    EXPECT_EQ(out.substr(out.size() - notes.size()), notes) << "the progress line is erased before the first note";
}
