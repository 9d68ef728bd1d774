// Splits one file with the split engine as the splitter window would, with a
// window and UI services that do nothing, for timing against split(1), and
// prints the peak memory and the processor time it took (every thread's):
// "peak-kib N cpu-ms M".
// Usage: split_bench [--no-checksum] SOURCE DESTINATION-FOLDER SPLIT-SIZE
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/resource.h>

#include "Paths.h"
#include "modCarver.h"

namespace {

class SilentBox : public ProgressBox {
public:
    void Show() override {}
    void Hide() override {}
    double Width() const override { return 300; }
    double Height() const override { return 13; }
    double TextWidth(const std::string& text) const override { return 7.0 * static_cast<double>(text.size()); }
    double TextHeight(const std::string&) const override { return 12; }
    void Paint(const ProgressPicture&) override {}
};

class SilentWindow : public SplitterWindow {
public:
    void SetPieceRange(const std::string&) override {}
    ProgressBox& StatusBox() override { return box_; }
    void SetStatusText(const std::string&) override {}
    bool SetDateChecked() override { return false; }
    bool BatchMakeChecked() override { return false; }
    bool ManifestWanted() override { return manifest; }
    bool manifest = true;  // as from the window
    std::string ToFolderText() override { return {}; }

private:
    SilentBox box_;
};

class SilentUi : public UiServices {
public:
    // OK to the count; a failure message is the only other box and is printed.
    MsgAnswer MessageBox(const std::string& text, MsgButtons buttons, MsgIcon, const std::string&) override
    {
        if (buttons == MsgButtons::Ok) std::fprintf(stderr, "%s\n", text.c_str());
        return buttons == MsgButtons::YesNoCancel ? MsgAnswer::Cancel : MsgAnswer::Ok;
    }
    void Yield() override {}
    void Beep() override {}
};

}  // namespace

int main(int argc, char** argv)
{
    SilentWindow window;
    if (argc > 1 && std::strcmp(argv[1], "--no-checksum") == 0) {
        window.manifest = false;
        --argc;
        ++argv;
    }
    if (argc != 4) {
        std::fprintf(stderr, "usage: split_bench [--no-checksum] SOURCE DESTINATION-FOLDER SPLIT-SIZE\n");
        return 2;
    }
    SilentUi ui;
    const bool ok = modCarver::SplitFile(window, ui, argv[1], WithBackslash(argv[2]), std::atof(argv[3]));
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const long cpuMs = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000 +
                       (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
    std::printf("peak-kib %ld cpu-ms %ld\n", usage.ru_maxrss, cpuMs);
    return ok ? 0 : 1;
}
