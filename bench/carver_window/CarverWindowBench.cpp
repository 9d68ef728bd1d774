// A split through Carver's window, as a user runs it, with the piece-count
// question answered OK: the window's real yield, progress box and status bar
// take their share of the time. Usage: carver-window-bench <source> <folder>
// (run with QT_QPA_PLATFORM=offscreen). The exit status is 1 when the split
// asked anything beyond the piece count, for instance after a failure.
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <cstdio>
#include <vector>

#include "QtTranslation.h"
#include "QtUiServices.h"
#include "frmCarver.h"

namespace {

class AnsweringUi : public UiServices {
public:
    std::vector<std::string> questions;

    MsgAnswer MessageBox(const std::string& text, MsgButtons buttons, MsgIcon, const std::string&) override
    {
        questions.push_back(text);
        return buttons == MsgButtons::YesNoCancel ? MsgAnswer::Yes : MsgAnswer::Ok;
    }
    void Yield() override { real_.Yield(); }
    void Beep() override { real_.Beep(); }

private:
    QtUiServices real_{QStringLiteral("Carver")};
};

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    StartQtTranslation();
    if (argc != 3) {
        std::fprintf(stderr, "usage: carver-window-bench <source> <folder>\n");
        return 64;
    }
    AnsweringUi ui;
    frmCarver window(CarverServices{&ui, nullptr, nullptr, nullptr, nullptr, {}});
    window.show();
    QApplication::processEvents();
    window.txtCarverFileName->setText(QString::fromLocal8Bit(argv[1]));
    window.txtToFolder->setText(QString::fromLocal8Bit(argv[2]));
    window.cmdOk->click();
    for (const std::string& q : ui.questions) std::fprintf(stderr, "%s\n", q.c_str());
    return ui.questions.size() == 1 ? 0 : 1;
}
