#include "CarverIcon.h"

#include <QString>

QIcon CarverIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128})
        icon.addFile(QStringLiteral(":/icons/hicolor/%1x%1/apps/io.github.carvermender.Carver.png").arg(size),
                     QSize(size, size));
    return icon;
}
