#include "HeldEscape.h"

#include <QKeyEvent>

bool HeldEscape::IsNewPress(const QEvent* event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) return false;
    const auto* key = static_cast<const QKeyEvent*>(event);
    if (key->key() != Qt::Key_Escape) return false;
    const auto now = std::chrono::steady_clock::now();
    const bool held = last_ && now - *last_ < kRepeatDelay;
    if (held) last_ = now;
    else last_.reset();
    return event->type() == QEvent::KeyPress && !key->isAutoRepeat() && !held;
}
