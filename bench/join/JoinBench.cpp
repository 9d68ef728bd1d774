// Joins one split set with the join engine and a window and UI services that
// do nothing: the engine's own cost, for comparison with cat. Prints the peak
// memory and the processor time it took (every thread's): "peak-kib N cpu-ms M".
// With -d the set is deleted as it is joined, as with the window's box ticked.
//     join_bench [-d] <join-info file> <destination folder>
#include <cstdio>
#include <string>
#include <sys/resource.h>

#include "modMender.h"

namespace {

class NullBox : public ProgressBox {
public:
    void Show() override {}
    void Hide() override {}
    double Width() const override { return 299; }
    double Height() const override { return 13; }
    double TextWidth(const std::string& text) const override { return 7.0 * static_cast<double>(text.size()); }
    double TextHeight(const std::string&) const override { return 12; }
    void Paint(const ProgressPicture&) override {}
};

class NullWindow : public JoinerWindow {
public:
    bool deleting = false;
    ProgressBox& StatusBox() override { return box_; }
    void SetStatusText(const std::string&) override {}
    bool AfterDeleteChecked() override { return deleting; }
    std::string KetugoFileNameText() override { return {}; }
    void SetAfterFileNameText(const std::string&) override {}

private:
    NullBox box_;
};

// Answers OK; remembers a failure message so that the run can say it failed.
class NullUi : public UiServices {
public:
    bool failed = false;
    MsgAnswer MessageBox(const std::string& text, MsgButtons, MsgIcon icon, const std::string&) override
    {
        if (icon == MsgIcon::Stop) {
            failed = true;
            std::fprintf(stderr, "%s\n", text.c_str());
        }
        return MsgAnswer::Ok;
    }
    void Yield() override {}
    void Beep() override {}
};

}  // namespace

int main(int argc, char** argv)
{
    NullWindow window;
    if (argc > 1 && std::string(argv[1]) == "-d") {
        window.deleting = true;
        --argc;
        ++argv;
    }
    if (argc != 3) {
        std::fprintf(stderr, "usage: join_bench [-d] <join-info file> <destination folder>\n");
        return 2;
    }
    NullUi ui;
    modMender::JoinFiles(window, ui, argv[1], argv[2]);
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const long cpuMs = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000 +
                       (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
    std::printf("peak-kib %ld cpu-ms %ld\n", usage.ru_maxrss, cpuMs);
    return ui.failed ? 1 : 0;
}
