#include "EnterOnButton.h"

#include <QKeyEvent>
#include <QPushButton>

bool ClickFocusedButtonOnEnter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) return false;
    auto* button = qobject_cast<QPushButton*>(watched);
    if (button == nullptr || !button->isEnabled() || !button->hasFocus()) return false;
    if (!key->isAutoRepeat()) button->click();
    return true;
}
