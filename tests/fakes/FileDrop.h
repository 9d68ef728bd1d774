#pragma once
// A drag from the file manager dropped on a window, as Qt delivers it: the
// drag entering, then the drop when the window accepted the drag.
#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

// True when the window accepted the drag (and so received the drop).
inline bool DropOn(QWidget& window, const QUrl& item)
{
    QMimeData data;
    data.setUrls({item});
    const QPoint where = window.rect().center();
    QDragEnterEvent enter(where, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    enter.setAccepted(false);
    QApplication::sendEvent(&window, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(where, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &drop);
    return true;
}
