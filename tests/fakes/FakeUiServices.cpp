#include "FakeUiServices.h"

MsgAnswer FakeUiServices::MessageBox(const std::string& text, MsgButtons buttons, MsgIcon icon,
                                     const std::string& caption)
{
    questions.push_back({text, buttons, icon, caption.empty() ? title_ : caption});
    if (onQuestion) onQuestion(questions.back());
    if (answers_.empty())
        return buttons == MsgButtons::YesNoCancel || buttons == MsgButtons::YesNo ? MsgAnswer::Yes : MsgAnswer::Ok;
    const MsgAnswer a = answers_.front();
    answers_.pop_front();
    return a;
}

void FakeUiServices::Yield()
{
    ++yields;
    if (onYield) onYield();
}

std::vector<std::string> FakeUiServices::Texts() const
{
    std::vector<std::string> texts;
    for (const auto& q : questions) texts.push_back(q.text);
    return texts;
}
