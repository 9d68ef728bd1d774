#pragma once
// Tells a held-down Esc from a new press. Esc stops a run and, once the
// window is idle, closes it; holding it to stop a run must not do both. Qt
// marks the repeats of a held key, but on a busy X server some reach the
// program as a release and a fresh press. So once an Esc has stopped a run,
// every Esc event (press, repeat or release) that follows the one before it
// by less than the time a held key waits before it repeats belongs to that
// key, and closes nothing.
#include <chrono>
#include <optional>

class QEvent;

class HeldEscape {
public:
    // Feed it every key press and release of the window. True for a press of
    // Esc that the window is to act on.
    bool IsNewPress(const QEvent* event);
    // The press just acted on stopped a run.
    void StoppedARun() { last_ = std::chrono::steady_clock::now(); }

    // The X server's default delay before a held key repeats, with a margin.
    static constexpr std::chrono::milliseconds kRepeatDelay{700};

private:
    // The last event of the Esc that stopped a run, while it may still be held.
    std::optional<std::chrono::steady_clock::time_point> last_;
};
