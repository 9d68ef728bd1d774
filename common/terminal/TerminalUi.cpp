#include "TerminalUi.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t interruptPending = 0;

void OnInterrupt(int)
{
    interruptPending = 1;
    std::signal(SIGINT, SIG_DFL);  // a second Ctrl-C ends the program
}

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::string Trim(const std::string& s)
{
    const size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1);
}

bool EndsWith(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

const char* Choices(MsgButtons b)
{
    switch (b) {
    case MsgButtons::Ok: return "[OK]";
    case MsgButtons::OkCancel: return "[OK/Cancel]";
    case MsgButtons::YesNo: return "[Yes/No]";
    case MsgButtons::YesNoCancel: return "[Yes/No/Cancel]";
    }
    return "";
}

// CR LF inside a message becomes the terminal's line break.
std::string WithLineBreaks(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
    return out;
}

}  // namespace

// ---- progress line ----

void TerminalProgress::Show()
{
    if (!visible_) started_ = std::chrono::steady_clock::now(), blocks_ = 0;
    visible_ = true;
}

void TerminalProgress::Hide()
{
    visible_ = false;
    Erase();
}

void TerminalProgress::Paint(const ProgressPicture& picture) { picture_ = picture; }

void TerminalProgress::SetStatusText(const std::string& text) { status_ = text; }

void TerminalProgress::Erase()
{
    if (!enabled_ || !drawn_) return;
    std::fputs("\r\033[K", out_);
    std::fflush(out_);
    drawn_ = false;
}

void TerminalProgress::Redraw(bool force)
{
    if (!enabled_ || !visible_) return;
    const auto now = std::chrono::steady_clock::now();
    if (!force && drawn_ && now - lastDraw_ < std::chrono::milliseconds(100)) return;
    lastDraw_ = now;
    const int filled = std::clamp(static_cast<int>(picture_.barWidth + 0.5), 0, kBarWidth);
    const double seconds = std::chrono::duration<double>(now - started_).count();
    const double rate = seconds > 0 ? static_cast<double>(blocks_ * kBlockBytes) / seconds : 0;
    char speed[32];
    if (rate >= 1e6)
        std::snprintf(speed, sizeof speed, "%.1f MB/s", rate / 1e6);
    else
        std::snprintf(speed, sizeof speed, "%.0f kB/s", rate / 1e3);
    std::fprintf(out_, "\r\033[K[%s%s] %4s  %s  %s", std::string(filled, '#').c_str(),
                 std::string(kBarWidth - filled, ' ').c_str(), picture_.label.c_str(), status_.c_str(), speed);
    std::fflush(out_);
    drawn_ = true;
}

// ---- questions ----

bool ParseAnswer(const std::string& line, MsgButtons buttons, MsgAnswer& answer)
{
    const std::string word = Lower(Trim(line));
    const bool yesNo = buttons == MsgButtons::YesNoCancel || buttons == MsgButtons::YesNo;
    if (word.empty() || word == "ok" || word == "o" || word == "yes" || word == "y") {
        answer = yesNo ? MsgAnswer::Yes : MsgAnswer::Ok;
        return true;
    }
    if (buttons == MsgButtons::Ok) return false;
    if (word == "cancel" || word == "c") {
        answer = MsgAnswer::Cancel;
        return true;
    }
    if (yesNo && (word == "no" || word == "n")) {
        answer = MsgAnswer::No;
        return true;
    }
    return false;
}

bool TerminalUi::IsAutoConfirmed(const std::string& text) const
{
    return autoConfirm_ && (text.rfind("分割数は ", 0) == 0 || text == "ﾌｧｲﾙの連結を行います" ||
                            EndsWith(text, "枚目のﾃﾞｨｽｸをｾｯﾄして下さい"));
}

MsgAnswer TerminalUi::MessageBox(const std::string& text, MsgButtons buttons, MsgIcon icon, const std::string&)
{
    progress_.Hide();
    const std::string shown = WithLineBreaks(text);
    if (buttons == MsgButtons::Ok) {
        // Messages, not questions: the failure message goes out as it stands.
        std::fprintf(out_, "%s\n", shown.c_str());
        std::fflush(out_);
        if (icon == MsgIcon::Stop) failed_ = true;
        return MsgAnswer::Ok;
    }
    if (IsAutoConfirmed(text)) {
        std::fprintf(out_, "%s %s OK\n", shown.c_str(), Choices(buttons));
        std::fflush(out_);
        return MsgAnswer::Ok;
    }
    for (;;) {
        std::fprintf(out_, "%s %s ", shown.c_str(), Choices(buttons));
        std::fflush(out_);
        std::string line;
        char chunk[256];
        bool gotLine = false;
        while (std::fgets(chunk, sizeof chunk, in_)) {
            gotLine = true;
            line += chunk;
            if (!line.empty() && line.back() == '\n') break;
        }
        if (!gotLine || TakeInterrupt()) {
            std::clearerr(in_);
            std::fputc('\n', out_);
            gaveUp_ = true;
            return MsgAnswer::Cancel;  // end of input (or Ctrl-C at the question)
        }
        // An answer from a pipe was not echoed: end the question's line for the log.
        if (!::isatty(::fileno(in_))) std::fputc('\n', out_);
        MsgAnswer answer;
        if (ParseAnswer(line, buttons, answer)) {
            if (answer == MsgAnswer::Cancel) gaveUp_ = true;
            return answer;
        }
    }
}

void TerminalUi::Yield()
{
    progress_.CountBlock();
    if (TakeInterrupt()) {
        interrupted_ = true;
        if (onInterrupt) onInterrupt();
    }
    progress_.Redraw();
}

void TerminalUi::Beep()
{
    std::fputc('\a', out_);
    std::fflush(out_);
}

void TerminalUi::InstallInterruptHandler()
{
    struct sigaction sa;
    std::memset(&sa, 0, sizeof sa);
    sa.sa_handler = OnInterrupt;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = 0;  // no restart: a question waiting for input ends with Cancel
    sigaction(SIGINT, &sa, nullptr);
}

bool TerminalUi::TakeInterrupt()
{
    if (!interruptPending) return false;
    interruptPending = 0;
    return true;
}
