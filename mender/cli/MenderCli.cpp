// mender-cli: the join engine driven from a terminal or a script.
#include <csignal>
#include <cstdio>
#include <unistd.h>
#include <vector>

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

    void PieceMissing(const std::string& piecePath) override
    {
        progress_.Hide();
        std::fprintf(stderr, "mender-cli: %s: %s\n", PrintableText(piecePath).c_str(), Tr(N_("見つかりません")));
    }
    void Noted(const std::string& path, const std::string& note) override
    {
        progress_.Hide();
        std::fprintf(stderr, "mender-cli: %s: %s\n", PrintableText(path).c_str(), PrintableText(note).c_str());
    }
    void PieceRebuilt(const std::string& name) override
    {
        progress_.Hide();
        std::fprintf(stderr, "mender-cli: %s: %s\n", PrintableText(name).c_str(), Tr(N_("修復用ﾃﾞｰﾀから作り直しました")));
    }
    void DeletionFailed(const std::string& path, const std::string& reason) override
    {
        failedDeletions_.push_back(path + ": " + Tr(reason));
    }
    void JoinStopped(int32_t joined, int32_t count, const std::string& rebuiltPath) override
    {
        progress_.Hide();
        const std::string note = TrFormat(N_("{1}/{2} 個の分割ﾌｧｲﾙを {3} に連結しました"),
                                          {std::to_string(joined), std::to_string(count), PrintableText(rebuiltPath)});
        std::fprintf(stderr, "mender-cli: %s\n", note.c_str());
    }
    // Deletions that failed are told once the run is over.
    void ReportFailedDeletions() const
    {
        for (const std::string& line : failedDeletions_)
            std::fprintf(stderr, "mender-cli: %s\n",
                         TrFormat(N_("削除できませんでした: {1}"), {PrintableText(line)}).c_str());
    }

private:
    std::vector<std::string> failedDeletions_;
    TerminalProgress& progress_;
    const MenderCliOptions& options_;
};

}  // namespace

int main(int argc, char** argv)
{
    StartTranslation();  // texts and error descriptions in the user's language
    // Past a file-size limit a write then fails (EFBIG) and is reported like a
    // full disk, instead of the signal ending the program in the middle.
    std::signal(SIGXFSZ, SIG_IGN);
    std::string error;
    const auto options = ParseMenderCli(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) return UsageError("mender-cli", error, kMenderCliHelp);
    if (AnswerHelpOrVersion(options->common, "mender-cli", kMenderCliHelp)) return 0;
    if (options->ToOutput() && ::isatty(STDOUT_FILENO) == 1)
        return UsageError("mender-cli", Tr(N_("標準出力が端末です　ﾌｧｲﾙが画面に出てしまいます")), kMenderCliHelp);

    const SharedCliOptions& common = options->common;
    TerminalProgress progress(stderr, ::isatty(STDERR_FILENO) == 1 && !common.quiet);
    TerminalUi ui(stdin, stderr, progress, {"mender-cli", common.yes, common.force, common.quiet});
    ui.onInterrupt = [] { modMender::CancelRequested = true; };
    TerminalUi::InstallInterruptHandler();
    TerminalJoinerWindow window(progress, *options);
    DriveKindOverride drives(SystemDrives(), options->common.removable);

    if (options->ToOutput())
        modMender::JoinToOutput(window, ui, options->joinInfo, STDOUT_FILENO, drives);
    else
        modMender::JoinFiles(window, ui, options->joinInfo, options->folder, drives);
    progress.Hide();
    window.ReportFailedDeletions();
    return ExitStatusOf(ui);
}
