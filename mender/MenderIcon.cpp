#include "MenderIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

// Drawn on a 64 × 64 grid and scaled, so every size comes from one picture.
QPixmap DrawMenderIcon(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);

    // The sheet with a folded corner, its two halves slightly apart.
    const QColor paper(250, 250, 246);
    const QColor edge(60, 72, 96);
    p.setPen(QPen(edge, 2.5));
    QPainterPath upper;
    upper.moveTo(12, 29);
    upper.lineTo(12, 6);
    upper.lineTo(40, 6);
    upper.lineTo(52, 18);
    upper.lineTo(52, 29);
    upper.closeSubpath();
    p.setBrush(paper);
    p.drawPath(upper);
    QPainterPath corner;
    corner.moveTo(40, 6);
    corner.lineTo(40, 18);
    corner.lineTo(52, 18);
    p.setBrush(QColor(214, 220, 230));
    p.drawPath(corner);
    p.setBrush(paper);
    p.drawRect(QRectF(12, 35, 40, 23));

    // Text lines on both halves.
    p.setPen(QPen(QColor(150, 160, 180), 2.5, Qt::SolidLine, Qt::FlatCap));
    for (double y : {14.0, 21.0}) p.drawLine(QPointF(18, y), QPointF(34, y));
    for (double y : {43.0, 50.0}) p.drawLine(QPointF(18, y), QPointF(46, y));

    // The seam: a zig-zag stitch across the gap.
    p.setPen(QPen(QColor(200, 40, 40), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath stitch;
    stitch.moveTo(8, 32);
    bool up = true;
    for (double x = 14; x <= 56; x += 6, up = !up) stitch.lineTo(x, up ? 26.5 : 37.5);
    p.setBrush(Qt::NoBrush);
    p.drawPath(stitch);
    return pixmap;
}

}  // namespace

QIcon MenderIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64}) icon.addPixmap(DrawMenderIcon(size));
    return icon;
}
