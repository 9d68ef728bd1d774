#include "QtProgressBox.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

QtProgressBox::QtProgressBox(QWidget* parent) : QWidget(parent)
{
    // The retained picture covers the whole box; nothing behind it shows.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void QtProgressBox::Show() { show(); }
void QtProgressBox::Hide() { hide(); }
double QtProgressBox::Width() const { return width(); }
double QtProgressBox::Height() const { return height(); }

double QtProgressBox::TextWidth(const std::string& text) const
{
    if (text != measuredText_) {
        measuredText_ = text;
        measuredWidth_ = QFontMetricsF(font()).horizontalAdvance(QString::fromStdString(text));
    }
    return measuredWidth_;
}

double QtProgressBox::TextHeight(const std::string&) const { return QFontMetricsF(font()).height(); }

QColor QtProgressBox::BarColour() const
{
    // Qt's palette has no title-bar role; the active highlight is the nearest
    // colour of the user's scheme and follows it the same way.
    return palette().color(QPalette::Active, QPalette::Highlight);
}

QColor QtProgressBox::GroundColour() const { return palette().color(QPalette::Active, QPalette::Base); }

QtProgressBox::ScreenPicture QtProgressBox::ScreenPictureOf(const ProgressPicture& picture)
{
    ScreenPicture s;
    s.label = picture.label;
    s.labelX = picture.labelX;
    s.labelY = picture.labelY;
    s.labelWidth = picture.labelWidth;
    s.labelHeight = picture.labelHeight;
    s.width = std::max(1, static_cast<int>(std::ceil(picture.boxWidth)));
    s.height = std::max(1, static_cast<int>(std::ceil(picture.boxHeight)));
    // The bar is clipped at the box's edge; a fraction above 1 is a full bar.
    s.barPixels = static_cast<int>(std::lround(std::clamp(picture.barWidth, 0.0, static_cast<double>(s.width))));
    return s;
}

void QtProgressBox::Paint(const ProgressPicture& picture)
{
    const ScreenPicture next = ScreenPictureOf(picture);
    if (painted_ && next == onScreen_) return;
    Render(next);
    onScreen_ = next;
    painted_ = true;
    repaint();
}

void QtProgressBox::Render(const ScreenPicture& s)
{
    if (image_.size() != QSize(s.width, s.height)) image_ = QImage(s.width, s.height, QImage::Format_RGB32);
    const QColor ground = GroundColour();
    const QColor colour = BarColour();
    image_.fill(ground);

    QPainter painter(&image_);
    // Plain, not smoothed, text: every pixel of the label is one colour.
    QFont labelFont = font();
    labelFont.setStyleStrategy(QFont::NoAntialias);
    painter.setFont(labelFont);
    const QPointF labelAt(s.labelX, s.labelY + QFontMetricsF(font()).ascent());
    const QString label = QString::fromStdString(s.label);
    // The label in the bar's colour, on a blanked rectangle.
    painter.fillRect(QRect(s.labelX, s.labelY, s.labelWidth, s.labelHeight), ground);
    painter.setPen(colour);
    painter.drawText(labelAt, label);
    // Where the bar passes, the ground turns the bar's colour and the label's
    // pixels the ground's. On a white ground that is exactly a not-xor of the
    // bar's colour; drawn this way a dark ground keeps the same look.
    if (s.barPixels > 0) {
        const QRect bar(0, 0, s.barPixels, s.height);
        painter.fillRect(bar, colour);
        painter.setClipRect(bar);
        painter.setPen(ground);
        painter.drawText(labelAt, label);
    }
}

void QtProgressBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), GroundColour());
    painter.drawImage(0, 0, image_);
}

void QtProgressBox::changeEvent(QEvent* event)
{
    // A new font or palette changes the pixels of the same picture.
    if (event->type() == QEvent::FontChange) measuredText_.clear();
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange) painted_ = false;
    QWidget::changeEvent(event);
}
