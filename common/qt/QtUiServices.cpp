#include "QtUiServices.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include "QtTranslation.h"

namespace {
// The engines yield once per 4096-byte block; running the event loop that often
// would cost more than the copy itself.
constexpr auto kYieldInterval = std::chrono::milliseconds(8);
}  // namespace

MsgAnswer QtUiServices::MessageBox(const std::string& text, MsgButtons buttons, MsgIcon icon,
                                   const std::string& caption)
{
    QMessageBox box(owner_);
    box.setWindowTitle(caption.empty() ? title_ : TrQ(caption.c_str()));
    QString body = TrQ(text.c_str());
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    box.setText(body);
    box.setIcon(icon == MsgIcon::Stop ? QMessageBox::Critical : QMessageBox::Warning);

    QPushButton* ok = nullptr;
    QPushButton* yes = nullptr;
    QPushButton* no = nullptr;
    QPushButton* cancel = nullptr;
    switch (buttons) {
    case MsgButtons::Ok:
        ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        box.setEscapeButton(ok);
        break;
    case MsgButtons::OkCancel:
        ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        cancel = box.addButton(TrQ("キャンセル"), QMessageBox::RejectRole);
        break;
    case MsgButtons::YesNoCancel:
        yes = box.addButton(TrQ("はい"), QMessageBox::YesRole);
        no = box.addButton(TrQ("いいえ"), QMessageBox::NoRole);
        cancel = box.addButton(TrQ("キャンセル"), QMessageBox::RejectRole);
        break;
    case MsgButtons::YesNo:
        yes = box.addButton(TrQ("はい"), QMessageBox::YesRole);
        no = box.addButton(TrQ("いいえ"), QMessageBox::NoRole);
        break;
    }
    // A question that may replace a file defaults to keeping it.
    const bool keepByDefault = buttons == MsgButtons::YesNo;
    box.setDefaultButton(keepByDefault ? no : ok ? ok : yes);
    if (cancel) box.setEscapeButton(cancel);
    if (keepByDefault) box.setEscapeButton(no);
    box.exec();

    const auto* pressed = box.clickedButton();
    if (pressed == ok) return MsgAnswer::Ok;
    if (pressed == yes) return MsgAnswer::Yes;
    if (pressed == no) return MsgAnswer::No;
    if (keepByDefault) return MsgAnswer::No;
    return buttons == MsgButtons::Ok ? MsgAnswer::Ok : MsgAnswer::Cancel;
}

void QtUiServices::Yield()
{
    const auto now = std::chrono::steady_clock::now();
    if (now - lastYield_ < kYieldInterval) return;
    lastYield_ = now;
    QApplication::processEvents();
}

void QtUiServices::Beep() { QApplication::beep(); }
