#include "BrowseIcon.h"

#include <QPainter>
#include <QPixmap>

namespace {

QPixmap DrawMagnifier(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    p.setPen(QPen(QColor(40, 40, 40), 1.6));
    p.setBrush(QColor(200, 225, 250));
    p.drawEllipse(QPointF(6.5, 6.5), 4.3, 4.3);
    p.setPen(QPen(QColor(40, 40, 40), 2.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(9.8, 9.8), QPointF(14, 14));
    return pixmap;
}

}  // namespace

QIcon BrowseIcon()
{
    for (const char* name : {"edit-find", "system-search"}) {
        const QIcon themed = QIcon::fromTheme(QString::fromLatin1(name));
        if (!themed.isNull()) return themed;
    }
    QIcon drawn;
    for (int size : {16, 24, 32}) drawn.addPixmap(DrawMagnifier(size));
    return drawn;
}
