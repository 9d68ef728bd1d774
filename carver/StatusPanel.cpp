#include "StatusPanel.h"

#include <QPainter>

StatusPanel::StatusPanel(QWidget* parent) : QFrame(parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
}

void StatusPanel::SetText(const std::string& text)
{
    if (text == text_) return;
    text_ = text;
    update(contentsRect());
}

void StatusPanel::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    if (text_.empty()) return;
    QPainter painter(this);
    const QRect area = contentsRect().adjusted(3, 0, -2, 0);
    painter.drawText(area, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
                     fontMetrics().elidedText(QString::fromStdString(text_), Qt::ElideRight, area.width()));
}
