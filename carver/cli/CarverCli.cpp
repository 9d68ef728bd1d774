// carver-cli: the split engine driven from a terminal or a script.
#include <clocale>
#include <csignal>
#include <cstdio>
#include <unistd.h>

#include "CarverCliOptions.h"
#include "DriveKindOverride.h"
#include "Paths.h"
#include "TerminalUi.h"
#include "modCarver.h"

namespace {

// The splitter window's elements, as a terminal has them.
class TerminalSplitterWindow : public SplitterWindow {
public:
    TerminalSplitterWindow(TerminalProgress& progress, const CarverCliOptions& options)
        : progress_(progress), options_(options) {}
    void SetPieceRange(const std::string&) override {}
    ProgressBox& StatusBox() override { return progress_; }
    void SetStatusText(const std::string& text) override { progress_.SetStatusText(text); }
    bool SetDateChecked() override { return options_.setDate; }
    bool BatchMakeChecked() override { return options_.batch; }
    bool ManifestWanted() override { return options_.writeManifest; }
    std::string ToFolderText() override { return options_.folder; }
    void SplitStopped(int64_t written, int64_t count, const std::string& folder) override
    {
        progress_.Hide();
        std::fprintf(stderr, "carver-cli: %lld of %lld pieces written to %s\n", static_cast<long long>(written),
                     static_cast<long long>(count), folder.c_str());
    }

private:
    TerminalProgress& progress_;
    const CarverCliOptions& options_;
};

}  // namespace

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "");  // error descriptions in the user's language
    // Past a file-size limit a write then fails (EFBIG) and is reported like a
    // full disk, instead of the signal ending the program in the middle.
    std::signal(SIGXFSZ, SIG_IGN);
    std::string error;
    const auto options = ParseCarverCli(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) return UsageError("carver-cli", error, kCarverCliUsage);
    if (AnswerHelpOrVersion(options->common, "carver-cli", kCarverCliUsage)) return 0;

    const SharedCliOptions& common = options->common;
    TerminalProgress progress(stderr, ::isatty(STDERR_FILENO) == 1 && !common.quiet);
    TerminalUi ui(stdin, stderr, progress, {"carver-cli", common.yes, common.force, common.quiet});
    ui.onInterrupt = [] { modCarver::CancelRequested = true; };
    TerminalUi::InstallInterruptHandler();
    TerminalSplitterWindow window(progress, *options);
    DriveKindOverride drives(SystemDrives(), options->common.removable);
    modCarver::CarverPlatform platform = modCarver::SystemPlatform();
    platform.drives = &drives;
    modCarver::SetPlatform(platform);

    const bool ok = modCarver::SplitFile(window, ui, options->source, WithBackslash(options->folder),
                                         options->splitSize);

    progress.Hide();
    return ExitStatusOf(ui, !ok);
}
