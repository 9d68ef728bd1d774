#pragma once
// The UI services of a window program: QMessageBox with the system's Japanese
// button texts, a yield that runs pending events at most every few
// milliseconds, and the platform beep.
#include <QString>
#include <chrono>

#include "UiServices.h"

class QWidget;

class QtUiServices : public UiServices {
public:
    // title: the caption of message boxes that name none of their own.
    explicit QtUiServices(QString title, QWidget* owner = nullptr) : title_(std::move(title)), owner_(owner) {}
    void SetOwner(QWidget* owner) { owner_ = owner; }

    MsgAnswer MessageBox(const std::string& text, MsgButtons buttons, MsgIcon icon,
                         const std::string& caption = {}) override;
    void Yield() override;
    void Beep() override;

private:
    QString title_;
    QWidget* owner_;
    std::chrono::steady_clock::time_point lastYield_{};
};
