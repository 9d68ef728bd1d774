// The notice at the end of a run: only a run longer than 10 seconds that ends
// while the user is away from its window is told, once, and a failure as it
// happens, before its message box.
#include <gtest/gtest.h>

#include <algorithm>

#include "FakeDesktopNotifier.h"
#include "FakeUiServices.h"
#include "RunEndNotice.h"

namespace {

using std::chrono::seconds;

constexpr RunEndTexts kTexts{"Carver", "carver-icon", "{1}: completed", "{1}: cancelled", "{1}: failed"};

}  // namespace

TEST(RunEndNotice, OnlyALongRunEndingAwayFromTheWindowIsTold)
{
    struct Case {
        const char* what;
        int runSeconds;
        bool active;
        int answeredSecondsBeforeEnd;  // -1: no question during the run
        const char* end;               // completed, cancelled, failed, declined
        const char* told;              // nothing: no notification
    };
    const Case cases[] = {
        {"completed", 11, false, -1, "completed", "movie.avi: completed"},
        {"cancelled", 11, false, -1, "cancelled", "movie.avi: cancelled"},
        {"failed", 11, false, -1, "failed", "movie.avi: failed"},
        {"10 s is not longer than 10 s", 10, false, -1, "completed", nullptr},
        {"the window active", 60, true, -1, "failed", nullptr},
        {"declined at the first question", 60, false, 30, "declined", nullptr},
        {"a question answered just before: the user is there", 60, false, 1, "cancelled", nullptr},
        {"a question answered long before", 60, false, 2, "cancelled", "movie.avi: cancelled"},
    };
    for (const Case& c : cases) {
        FakeUiServices ui;
        FakeDesktopNotifier notifier;
        std::chrono::steady_clock::time_point now{};
        RunEndNotice notice(ui, notifier, [&] { return now; }, [&] { return c.active; }, kTexts);
        const std::string end = c.end;
        notice.Started("movie.avi");
        if (end != "declined") notice.Copying();
        now += seconds(c.runSeconds - std::max(c.answeredSecondsBeforeEnd, 0));
        if (c.answeredSecondsBeforeEnd >= 0) notice.MessageBox("?", MsgButtons::OkCancel, MsgIcon::Warning);
        now += seconds(std::max(c.answeredSecondsBeforeEnd, 0));
        if (end == "cancelled") notice.Stopped();
        if (end == "failed") {
            ui.onQuestion = [&](const FakeUiServices::Question&) {
                EXPECT_EQ(notifier.shown.size(), c.told ? 1u : 0u) << "told before the failure's box waits";
            };
            notice.ShowFailure("ﾌｧｲﾙ分割失敗 原因を調査後再度実行して下さい", IoStatus::Failure("x"));
        }
        notice.Finished();
        ASSERT_EQ(notifier.shown.size(), c.told ? 1u : 0u) << c.what;
        if (c.told) {
            EXPECT_EQ(notifier.shown[0].summary, "Carver") << c.what;
            EXPECT_EQ(notifier.shown[0].body, c.told) << c.what;
            EXPECT_EQ(notifier.shown[0].iconName, "carver-icon") << c.what;
        }
        // Whatever the window passes on reaches its own services.
        EXPECT_EQ(ui.questions.size(), (c.answeredSecondsBeforeEnd >= 0 ? 1u : 0u) + (end == "failed" ? 1u : 0u));
    }
}
