// mender-cli: the join engine driven from a terminal or a script.
#include <clocale>
#include <cstdio>
#include <unistd.h>

#include "DriveKindOverride.h"
#include "MenderCliOptions.h"
#include "TerminalUi.h"
#include "modMender.h"

namespace {

// The joiner window's elements, as a terminal has them.
class TerminalJoinerWindow : public JoinerWindow {
public:
    TerminalJoinerWindow(TerminalProgress& progress, const MenderCliOptions& options)
        : progress_(progress), options_(options) {}
    ProgressBox& StatusBox() override { return progress_; }
    void SetStatusText(const std::string& text) override { progress_.SetStatusText(text); }
    bool AfterDeleteChecked() override { return options_.deleteAsItGoes; }
    std::string KetugoFileNameText() override { return options_.joinInfo; }
    void SetAfterFileNameText(const std::string&) override {}

private:
    TerminalProgress& progress_;
    const MenderCliOptions& options_;
};

}  // namespace

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "");  // error descriptions in the user's language
    std::string error;
    const auto options = ParseMenderCli(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) return UsageError("mender-cli", error, kMenderCliUsage);
    if (AnswerHelpOrVersion(options->common, "mender-cli", kMenderCliUsage)) return 0;

    const SharedCliOptions& common = options->common;
    TerminalProgress progress(stderr, ::isatty(STDERR_FILENO) == 1 && !common.quiet);
    TerminalUi ui(stdin, stderr, progress, {"mender-cli", common.yes, common.force, common.quiet});
    ui.onInterrupt = [] { modMender::CancelRequested = true; };
    TerminalUi::InstallInterruptHandler();
    TerminalJoinerWindow window(progress, *options);
    DriveKindOverride drives(SystemDrives(), options->common.removable);

    modMender::JoinFiles(window, ui, options->joinInfo, options->folder, drives);

    progress.Hide();
    return ExitStatusOf(ui);
}
