#pragma once
// The UI services of the command-line front ends: questions on standard error
// answered by a line of standard input, failure lines that name the program
// and the file, the progress line, Ctrl-C as Cancel.
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>

#include "ProgressPicture.h"
#include "UiServices.h"

// The progress box of a terminal: one line on standard error redrawn in place
// (bar, percentage, the engine's status text, bytes per second), at most ten
// times a second, and only when standard error is a terminal.
class TerminalProgress : public ProgressBox {
public:
    TerminalProgress(std::FILE* out, bool enabled) : out_(out), enabled_(enabled) {}

    void Show() override;
    void Hide() override;
    double Width() const override { return kBarWidth; }
    double Height() const override { return 1; }
    double TextWidth(const std::string& text) const override { return static_cast<double>(text.size()); }
    double TextHeight(const std::string&) const override { return 1; }
    void Paint(const ProgressPicture& picture) override;

    void SetStatusText(const std::string& text);
    // One block of data went through (the engines yield once per block).
    void CountBlock() { ++blocks_; }
    // Draws the line now if it is due (or when forced).
    void Redraw(bool force = false);

    static constexpr int kBarWidth = 30;
    static constexpr int64_t kBlockBytes = 4096;

private:
    void Erase();
    std::FILE* out_;
    bool enabled_;
    bool visible_ = false;
    bool drawn_ = false;
    ProgressPicture picture_;
    std::string status_;
    int64_t blocks_ = 0;
    std::chrono::steady_clock::time_point started_{}, lastDraw_{};
};

// Who the terminal speaks for and which questions it answers by itself.
struct TerminalUiSettings {
    std::string program;  // starts every failure line
    bool yes = false;     // -y: the confirmation, the "set the disk" questions, finishing a join
    bool force = false;   // --force: replacing an existing file, joining a piece of another size
    bool quiet = false;   // -q: no echo of the questions answered by -y or --force
};

class TerminalUi : public UiServices {
public:
    // in: where answers come from; out: where questions and messages go.
    TerminalUi(std::FILE* in, std::FILE* out, TerminalProgress& progress, TerminalUiSettings settings)
        : in_(in), out_(out), progress_(progress), settings_(std::move(settings)) {}

    MsgAnswer MessageBox(const std::string& text, MsgButtons buttons, MsgIcon icon,
                         const std::string& caption = {}) override;
    // One line: "program: file: firstLine: description" (the file left out
    // when the cause names none).
    void ShowFailure(const std::string& firstLine, const IoStatus& cause) override;
    void Yield() override;
    void Beep() override;
    // A line each: how to unmount the disk, where the next one was found, the
    // room on a disk that is short of it.
    void DiskCanBeRemoved(const std::string& device) override;
    void DiskFoundAt(const std::string& folder) override;
    void DiskRoomShort(double freeBytes, double neededBytes) override;

    // Called from Yield when Ctrl-C was pressed (the program sets its engine's
    // CancelRequested there).
    std::function<void()> onInterrupt;

    // What the run came to, for the exit status.
    bool Failed() const { return failed_; }  // a failure was shown
    bool GaveUp() const { return gaveUp_; }  // Cancel, No to a Yes/No question, or the end of input
    bool Interrupted() const { return interrupted_; }

    // Installs the Ctrl-C handler: the first Ctrl-C asks for cancellation, a
    // second one ends the program at once.
    static void InstallInterruptHandler();
    static bool TakeInterrupt();

private:
    bool ReadAnswerLine(std::string& line);
    bool IsAutoAnswered(const std::string& text, MsgButtons buttons) const;
    void PrintFailureLines(const std::string& text);
    std::FILE* in_;
    std::FILE* out_;
    TerminalProgress& progress_;
    TerminalUiSettings settings_;
    bool failed_ = false, gaveUp_ = false, interrupted_ = false;
};

// The text with every control character shown escaped (\t, \n, \x1b,
// \u009b), so that nothing a file name or a file holds acts on the terminal.
std::string PrintableText(const std::string& text);

// The answer a typed line gives to a question with these buttons, or nothing
// when the line is no valid answer: ok/o/yes/y, no/n, cancel/c in any letter
// case, the Japanese words はい, いいえ, キャンセル, and the words shown in
// the user's language. An empty line is the box's default button: the first
// one, except for Yes/No, where it is No.
bool ParseAnswer(const std::string& line, MsgButtons buttons, MsgAnswer& answer);
