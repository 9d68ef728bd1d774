#pragma once
// The run-end notice of a window, with the real services where the window
// was given none: the desktop's notification service, the system's steady
// clock, and "active" as the window system says.
#include <memory>

#include "RunEndNotice.h"

class QWidget;

std::unique_ptr<RunEndNotice> WindowRunEndNotice(const QWidget& window, UiServices& ui, DesktopNotifier* notifier,
                                                 RunEndNotice::Clock clock, const RunEndTexts& texts);
