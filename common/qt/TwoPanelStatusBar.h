#pragma once
// sbrStatus of both windows: two sunken panels side by side, the second
// filling what the first leaves. The engines set the second panel's text
// once per 4096-byte block, so setting a text only stores it and asks for a
// repaint; the screen picks it up at its own pace, with no layout pass.
#include <QWidget>
#include <array>
#include <string>

class TwoPanelStatusBar : public QWidget {
public:
    explicit TwoPanelStatusBar(QWidget* parent = nullptr);

    // Width of the first panel in pixels; the second takes the rest.
    void SetFirstPanelWidth(int width);
    // Panel 1 or 2, as the status bar counts its panels.
    void SetPanelText(int panel, const std::string& text);
    const std::string& PanelText(int panel) const;
    // Where a panel lies within the bar.
    QRect PanelRect(int panel) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int firstWidth_ = 0;
    std::array<std::string, 2> texts_;
};
