#include "TwoPanelStatusBar.h"

#include <QFrame>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>
#include <algorithm>

namespace {
// Room between neighbouring panels and between a panel's edge and its text.
constexpr int kPanelGap = 2;
constexpr int kTextMargin = 3;
}  // namespace

TwoPanelStatusBar::TwoPanelStatusBar(QWidget* parent) : QWidget(parent) {}

void TwoPanelStatusBar::SetFirstPanelWidth(int width)
{
    firstWidth_ = std::max(0, width);
    update();
}

void TwoPanelStatusBar::SetPanelText(int panel, const std::string& text)
{
    if (panel < 1 || panel > 2) return;
    std::string& stored = texts_[static_cast<size_t>(panel - 1)];
    if (stored == text) return;
    stored = text;
    update(PanelRect(panel));
}

const std::string& TwoPanelStatusBar::PanelText(int panel) const
{
    static const std::string none;
    if (panel < 1 || panel > 2) return none;
    return texts_[static_cast<size_t>(panel - 1)];
}

QRect TwoPanelStatusBar::PanelRect(int panel) const
{
    const int first = std::min(firstWidth_, width());
    if (panel == 1) return QRect(0, 0, first, height());
    const int left = std::min(first + kPanelGap, width());
    return QRect(left, 0, width() - left, height());
}

void TwoPanelStatusBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    for (int panel = 1; panel <= 2; ++panel) {
        const QRect area = PanelRect(panel);
        if (area.width() <= 0) continue;
        QStyleOptionFrame frame;
        frame.initFrom(this);
        frame.rect = area;
        frame.lineWidth = 1;
        frame.midLineWidth = 0;
        frame.state |= QStyle::State_Sunken;
        frame.frameShape = QFrame::Panel;
        style()->drawPrimitive(QStyle::PE_Frame, &frame, &painter, this);

        const std::string& text = texts_[static_cast<size_t>(panel - 1)];
        if (text.empty()) continue;
        const QRect textArea = area.adjusted(kTextMargin, 0, -kTextMargin, 0);
        const QString shown =
            fontMetrics().elidedText(QString::fromStdString(text), Qt::ElideRight, textArea.width());
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(textArea, Qt::AlignVCenter | Qt::AlignLeft, shown);
    }
}
