#include "RunEndNotice.h"

#include <utility>

RunEndNotice::RunEndNotice(UiServices& ui, DesktopNotifier& notifier, Clock now, std::function<bool()> windowActive,
                           RunEndTexts texts)
    : ui_(ui), notifier_(notifier), now_(std::move(now)), windowActive_(std::move(windowActive)), texts_(texts)
{
}

void RunEndNotice::Started(const std::string& fileName)
{
    fileName_ = fileName;
    startedAt_ = now_();
    running_ = true;
    copying_ = stopped_ = answered_ = false;
}

void RunEndNotice::Finished()
{
    if (!running_) return;  // its failure was told
    if (stopped_) return End(texts_.cancelled);
    if (copying_) return End(texts_.completed);
    running_ = false;  // declined before anything was copied
}

MsgAnswer RunEndNotice::MessageBox(const std::string& text, MsgButtons buttons, MsgIcon icon,
                                   const std::string& caption)
{
    const MsgAnswer answer = ui_.MessageBox(text, buttons, icon, caption);
    answered_ = true;
    answeredAt_ = now_();
    return answer;
}

void RunEndNotice::ShowFailure(const std::string& firstLine, const IoStatus& cause)
{
    if (running_) End(texts_.failed);
    ui_.ShowFailure(firstLine, cause);
}

// Once a run: the user away from the window, and the run long.
void RunEndNotice::End(const char* how)
{
    running_ = false;
    const auto now = now_();
    const bool userThere = windowActive_() || (answered_ && now - answeredAt_ < kJustAnswered);
    if (userThere || now - startedAt_ <= kLongRun) return;
    notifier_.Notify(texts_.program, TrFormat(how, {fileName_}), texts_.iconName);
}
