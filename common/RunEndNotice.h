#pragma once
// The desktop notification at the end of a long split or join: when a run that
// took longer than 10 seconds ends while the user is not at its window, the
// desktop says how it ended, naming the file. The window itself shows nothing
// more than it always does.
#include <chrono>
#include <functional>
#include <string>

#include "DesktopNotifier.h"
#include "UiServices.h"

// One program's texts: its name (the summary, the same in every language),
// its icon's name, and how a run ended (marked, untranslated; {1} the file's name).
struct RunEndTexts {
    const char* program;
    const char* iconName;
    const char* completed;
    const char* cancelled;
    const char* failed;
};

// Stands in front of the window's UiServices while a run goes on: a failure
// is told as it happens, before its message box waits for the user, and a
// question answered shows that the user is at the window.
class RunEndNotice : public UiServices {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // windowActive: whether the run's window (or a box of its own) is the
    // active window.
    RunEndNotice(UiServices& ui, DesktopNotifier& notifier, Clock now, std::function<bool()> windowActive,
                 RunEndTexts texts);

    // A run begins, about this file (the source, or the file a join rebuilds).
    void Started(const std::string& fileName);
    // The run got as far as its copy: one declined at its first question
    // ends without a word.
    void Copying() { copying_ = running_; }
    // The run was cancelled (at a question, with Cancel or Esc).
    void Stopped() { stopped_ = true; }
    // The engine has returned: a run that copied completed, unless it was
    // cancelled or its failure was told already.
    void Finished();

    MsgAnswer MessageBox(const std::string& text, MsgButtons buttons, MsgIcon icon,
                         const std::string& caption = {}) override;
    void ShowFailure(const std::string& firstLine, const IoStatus& cause) override;
    void Yield() override { ui_.Yield(); }
    void Beep() override { ui_.Beep(); }
    void DiskCanBeRemoved(const std::string& device) override { ui_.DiskCanBeRemoved(device); }
    void DiskFoundAt(const std::string& folder) override { ui_.DiskFoundAt(folder); }
    void DiskRoomShort(double freeBytes, double neededBytes) override { ui_.DiskRoomShort(freeBytes, neededBytes); }

    // Runs this long or shorter end without a notification.
    static constexpr std::chrono::seconds kLongRun{10};
    // A question answered this recently means the user is at the window,
    // though the window may not be active again yet after the box.
    static constexpr std::chrono::seconds kJustAnswered{2};

private:
    void End(const char* how);
    UiServices& ui_;
    DesktopNotifier& notifier_;
    Clock now_;
    std::function<bool()> windowActive_;
    RunEndTexts texts_;
    std::string fileName_;
    std::chrono::steady_clock::time_point startedAt_{}, answeredAt_{};
    bool running_ = false, copying_ = false, stopped_ = false, answered_ = false;
};
