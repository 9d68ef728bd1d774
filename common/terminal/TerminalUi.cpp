#include "TerminalUi.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstring>
#include <unistd.h>

#include "SharedTexts.h"

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

// The words of the window's buttons; a typed answer may be any of them, in
// the language shown, in Japanese or in English.
constexpr const char* kYesWord = N_("はい");
constexpr const char* kNoWord = N_("いいえ");
constexpr const char* kCancelWord = N_("キャンセル");

const char* Choices(MsgButtons b)
{
    switch (b) {
    case MsgButtons::Ok: return "[OK]";
    case MsgButtons::OkCancel: return Tr(N_("[OK/キャンセル]"));
    case MsgButtons::YesNoCancel: return Tr(N_("[はい/いいえ/キャンセル]"));
    case MsgButtons::YesNo: return Tr(N_("[はい/いいえ]"));
    }
    return "";
}

// Whether a typed word (trimmed, in lower case) names the button whose
// Japanese word is given, or is its English word or that word's first letter.
bool Names(const std::string& word, const char* japanese, const std::string& english)
{
    return word == japanese || word == Lower(Tr(japanese)) || word == english || word == english.substr(0, 1);
}

// The answer of the box's first button (OK or Yes).
MsgAnswer FirstButton(MsgButtons b)
{
    return b == MsgButtons::YesNoCancel || b == MsgButtons::YesNo ? MsgAnswer::Yes : MsgAnswer::Ok;
}

// CR LF inside a message becomes the terminal's line break; any other
// control character (from a file name or a file's contents) is shown escaped.
std::string WithLineBreaks(const std::string& text)
{
    std::string out;
    size_t start = 0;
    for (size_t crlf; (crlf = text.find("\r\n", start)) != std::string::npos; start = crlf + 2)
        out += PrintableText(text.substr(start, crlf - start)) + "\n";
    return out + PrintableText(text.substr(start));
}

}  // namespace

std::string PrintableText(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        // C1 controls (U+0080 to U+009F, C2 80 to C2 9F in UTF-8) too: some terminals act on them.
        const bool c1 = c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) < 0xA0 &&
                        static_cast<unsigned char>(text[i + 1]) >= 0x80;
        if (c >= 0x20 && c != 0x7F && !c1) {
            out += text[i];
            continue;
        }
        const unsigned code = c1 ? static_cast<unsigned char>(text[++i]) : c;
        switch (code) {
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: {
            char hex[8];
            std::snprintf(hex, sizeof hex, c1 ? "\\u%04x" : "\\x%02x", code);
            out += hex;
        }
        }
    }
    return out;
}

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
    if (word.empty() && buttons == MsgButtons::YesNo) {
        answer = MsgAnswer::No;  // the default button of a question that may replace a file
        return true;
    }
    if (word.empty() || word == "ok" || word == "o" || Names(word, kYesWord, "yes")) {
        answer = FirstButton(buttons);
        return true;
    }
    if (buttons == MsgButtons::Ok) return false;
    if (buttons != MsgButtons::YesNo && Names(word, kCancelWord, "cancel")) {
        answer = MsgAnswer::Cancel;
        return true;
    }
    if (yesNo && Names(word, kNoWord, "no")) {
        answer = MsgAnswer::No;
        return true;
    }
    return false;
}

bool TerminalUi::IsAutoAnswered(const std::string& shown, MsgButtons buttons) const
{
    // The questions are recognised in the language they are shown in.
    if (settings_.yes && (MadeFrom(shown, Tr(kPieceCountQuestion)) || shown == Tr(kJoinQuestion) ||
                          shown == Tr(kFirstDiskQuestion) || MadeFrom(shown, Tr(kDiskQuestion)) ||
                          (buttons == MsgButtons::YesNo && MadeFrom(shown, Tr(kResumeQuestion)))))
        return true;
    // Only --force agrees to replacing a file or joining a piece that looks wrong.
    return settings_.force && buttons == MsgButtons::YesNo &&
           (MadeFrom(shown, Tr(kSplitOverwriteQuestion)) || MadeFrom(shown, Tr(kJoinOverwriteQuestion)) ||
            MadeFrom(shown, Tr(kPieceSizeQuestion)));
}

void TerminalUi::PrintFailureLines(const std::string& shown)
{
    size_t start = 0;
    do {
        const size_t end = std::min(shown.find('\n', start), shown.size());
        std::fprintf(out_, "%s: %s\n", settings_.program.c_str(), shown.substr(start, end - start).c_str());
        start = end + 1;
    } while (start < shown.size());
    std::fflush(out_);
    failed_ = true;
}

void TerminalUi::ShowFailure(const std::string& firstLine, const IoStatus& cause)
{
    progress_.Hide();
    std::string line = cause.Subject().empty() ? Tr(firstLine) : cause.Subject() + ": " + Tr(firstLine);
    if (!cause.Description().empty()) line += ": " + Tr(cause.Description());
    // One line: a line break from a file name would start a line without the program's name.
    PrintFailureLines(PrintableText(line));
}

MsgAnswer TerminalUi::MessageBox(const std::string& untranslated, MsgButtons buttons, MsgIcon icon,
                                 const std::string&)
{
    progress_.Hide();
    const std::string text = Tr(untranslated);
    const std::string shown = WithLineBreaks(text);
    if (buttons == MsgButtons::Ok) {
        // Messages, not questions. A stop-icon one is a failure: every line names the program.
        if (icon == MsgIcon::Stop) {
            PrintFailureLines(shown);
            return MsgAnswer::Ok;
        }
        std::fprintf(out_, "%s\n", shown.c_str());
        std::fflush(out_);
        return MsgAnswer::Ok;
    }
    if (IsAutoAnswered(text, buttons)) {
        const MsgAnswer answer = FirstButton(buttons);
        if (!settings_.quiet) {
            std::fprintf(out_, "%s %s %s\n", shown.c_str(), Choices(buttons), answer == MsgAnswer::Yes ? Tr(kYesWord) : "OK");
            std::fflush(out_);
        }
        return answer;
    }
    for (;;) {
        std::fprintf(out_, "%s %s ", shown.c_str(), Choices(buttons));
        std::fflush(out_);
        std::string line;
        const bool gotLine = ReadAnswerLine(line);
        if (const bool interrupted = TakeInterrupt(); !gotLine || interrupted) {
            std::fputc('\n', out_);
            gaveUp_ = true;
            interrupted_ = interrupted_ || interrupted;
            // End of input (or Ctrl-C at the question) declines.
            return buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Cancel;
        }
        // An answer from a pipe was not echoed: end the question's line for the log.
        if (!::isatty(::fileno(in_))) std::fputc('\n', out_);
        MsgAnswer answer;
        if (ParseAnswer(line, buttons, answer)) {
            // No to a Yes/No question declines the run, as Cancel does elsewhere;
            // No to finishing an interrupted join joins the set anew instead.
            if (answer == MsgAnswer::Cancel ||
                (buttons == MsgButtons::YesNo && answer == MsgAnswer::No && !MadeFrom(text, Tr(kResumeQuestion))))
                gaveUp_ = true;
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

void TerminalUi::DiskCanBeRemoved(const std::string& device)
{
    progress_.Hide();
    const std::string note = TrFormat(N_("ﾃﾞｨｽｸを取り出せます: udisksctl unmount -b {1}"), {PrintableText(device)});
    std::fprintf(out_, "%s\n", note.c_str());
    std::fflush(out_);
}

void TerminalUi::DiskFoundAt(const std::string& folder)
{
    progress_.Hide();
    std::fprintf(out_, "%s\n", TrFormat(N_("ﾃﾞｨｽｸは {1} にあります"), {PrintableText(folder)}).c_str());
    std::fflush(out_);
}

void TerminalUi::DiskRoomShort(double freeBytes, double neededBytes)
{
    progress_.Hide();
    char free[32], needed[32];
    std::snprintf(free, sizeof free, "%.0f", freeBytes);
    std::snprintf(needed, sizeof needed, "%.0f", neededBytes);
    std::fprintf(out_, "%s\n",
                 TrFormat(N_("ﾃﾞｨｽｸの空きは {1} ﾊﾞｲﾄ　分割ﾌｧｲﾙには {2} ﾊﾞｲﾄ必要です"), {free, needed}).c_str());
    std::fflush(out_);
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

// A byte at a time from the descriptor, never read ahead: the lines after the
// answer stay in standard input for the script that runs the program.
bool TerminalUi::ReadAnswerLine(std::string& line)
{
    const int fd = ::fileno(in_);
    for (;;) {
        char c;
        const ssize_t n = ::read(fd, &c, 1);
        if (n < 0) return false;  // Ctrl-C (no restart) or a read error: no answer
        if (n == 0) return !line.empty();
        line += c;
        if (c == '\n') return true;
    }
}

bool TerminalUi::TakeInterrupt()
{
    if (!interruptPending) return false;
    interruptPending = 0;
    return true;
}
