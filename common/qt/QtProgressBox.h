#pragma once
// picStatus of both windows: the progress box as a widget over a retained
// picture. The engines paint it once per 4096-byte block, so it redraws and
// repaints only when the picture on screen would change, and then at once.
#include <QColor>
#include <QImage>
#include <QWidget>
#include <string>

#include "ProgressPicture.h"

class QtProgressBox : public QWidget, public ProgressBox {
public:
    explicit QtProgressBox(QWidget* parent = nullptr);

    void Show() override;
    void Hide() override;
    double Width() const override;
    double Height() const override;
    double TextWidth(const std::string& text) const override;
    double TextHeight(const std::string& text) const override;
    void Paint(const ProgressPicture& picture) override;

    // The retained picture, as the screen shows it.
    const QImage& Picture() const { return image_; }
    // The title-bar colour of the user's palette, in which label and bar are drawn.
    QColor BarColour() const;
    // The box's ground: the theme's colour for text fields (white in a light
    // theme, dark in a dark one).
    QColor GroundColour() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // What decides the pixels: the picture with its bar in whole pixels.
    struct ScreenPicture {
        std::string label;
        int labelX = 0, labelY = 0, labelWidth = 0, labelHeight = 0;
        int barPixels = 0;
        int width = 0, height = 0;
        bool operator==(const ScreenPicture&) const = default;
    };
    static ScreenPicture ScreenPictureOf(const ProgressPicture& picture);
    void Render(const ScreenPicture& picture);

    QImage image_;
    ScreenPicture onScreen_;
    bool painted_ = false;
    // The label measured last; the engines ask for the same text block after block.
    mutable std::string measuredText_;
    mutable double measuredWidth_ = 0;
};
