#include "WindowRunEndNotice.h"

#include <QApplication>
#include <QWidget>

#include "DBusNotifier.h"

namespace {

// The window, or a box it opened (a message box, a file dialog), is the
// active window.
bool WindowOrItsBoxActive(const QWidget& window)
{
    for (const QWidget* w = QApplication::activeWindow(); w != nullptr; w = w->parentWidget())
        if (w == &window) return true;
    return false;
}

}  // namespace

std::unique_ptr<RunEndNotice> WindowRunEndNotice(const QWidget& window, UiServices& ui, DesktopNotifier* notifier,
                                                 RunEndNotice::Clock clock, const RunEndTexts& texts)
{
    static DBusNotifier desktop;
    if (!clock) clock = [] { return std::chrono::steady_clock::now(); };
    return std::make_unique<RunEndNotice>(ui, notifier != nullptr ? *notifier : desktop, std::move(clock),
                                          [w = &window] { return WindowOrItsBoxActive(*w); }, texts);
}
