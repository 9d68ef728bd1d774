#pragma once
// One panel of sbrStatus. The split engine rewrites the second panel once per
// 4096-byte block, so setting a text only stores it and asks for a repaint;
// the screen takes the latest text at its own pace.
#include <QFrame>
#include <string>

class StatusPanel : public QFrame {
public:
    explicit StatusPanel(QWidget* parent = nullptr);

    void SetText(const std::string& text);
    const std::string& Text() const { return text_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::string text_;
};
