// carver-cli: the split engine driven from a terminal or a script.
#include <csignal>
#include <cstdio>
#include <unistd.h>

#include "BlockPlan.h"
#include "CarverCliOptions.h"
#include "DriveKindOverride.h"
#include "Files.h"
#include "Paths.h"
#include "SharedTexts.h"
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
        const std::string note = TrFormat(N_("{1}/{2} 個の分割ﾌｧｲﾙを {3} に書きました"),
                                          {std::to_string(written), std::to_string(count), PrintableText(folder)});
        std::fprintf(stderr, "carver-cli: %s\n", note.c_str());
    }
    std::optional<modCarver::RecoveryRequest> RecoveryWanted() override { return options_.recovery; }
    void RecoveryStopped() override
    {
        progress_.Hide();
        std::fprintf(stderr, "carver-cli: %s\n", Tr(N_("分割ﾌｧｲﾙは書きました　修復用ﾃﾞｰﾀはｷｬﾝｾﾙされました")));
    }

private:
    TerminalProgress& progress_;
    const CarverCliOptions& options_;
};

}  // namespace

int main(int argc, char** argv)
{
    StartTranslation();  // texts and error descriptions in the user's language
    // Past a file-size limit a write then fails (EFBIG) and is reported like a
    // full disk, instead of the signal ending the program in the middle.
    std::signal(SIGXFSZ, SIG_IGN);
    std::string error;
    const auto options = ParseCarverCli(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) return UsageError("carver-cli", error, kCarverCliHelp);
    if (AnswerHelpOrVersion(options->common, "carver-cli", kCarverCliHelp)) return 0;

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

    // -n: the size that cuts the source into that many pieces.
    CarverCliOptions settings = *options;
    if (settings.pieces > 0) settings.splitSize = SplitSizeForPieces(FileLength(settings.source), settings.pieces);
    const bool ok = modCarver::SplitFile(window, ui, settings.source, WithBackslash(settings.folder), settings.splitSize);

    progress.Hide();
    return ExitStatusOf(ui, !ok);
}
