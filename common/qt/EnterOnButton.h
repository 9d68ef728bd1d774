#pragma once
// Enter on a push button that has the focus clicks it, as on the desktop the
// windows were made for. Neither window has a default button, so Enter
// anywhere else clicks nothing.
class QEvent;
class QObject;

// Call from a key-preview event filter with the key's target. True when the
// key was a press of Enter or Return on an enabled push button: it has been
// clicked then, unless it was a repeat of a key held down (which would, say,
// cancel the run that the first press started once OK hands the focus on).
bool ClickFocusedButtonOnEnter(QObject* watched, QEvent* event);
