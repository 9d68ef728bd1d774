// carver-cli: the split engine driven from a terminal or a script.
#include <clocale>
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

private:
    TerminalProgress& progress_;
    const CarverCliOptions& options_;
};

}  // namespace

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "");  // error descriptions in the user's language
    std::string error;
    const auto options = ParseCarverCli(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) return UsageError("carver-cli", error, kCarverCliUsage);
    if (options->common.help) {
        std::fputs(kCarverCliUsage, stdout);
        return 0;
    }
    if (options->common.version) {
        std::printf("carver-cli %s\n", CARVER_VERSION);
        return 0;
    }

    TerminalProgress progress(stderr, ::isatty(STDERR_FILENO) == 1);
    TerminalUi ui(stdin, stderr, progress, options->common.yes);
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
