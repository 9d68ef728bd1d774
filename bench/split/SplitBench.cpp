// Splits one file with the split engine as the splitter window would, with a
// window and UI services that do nothing, for timing against split(1).
// Usage: split_bench SOURCE DESTINATION-FOLDER SPLIT-SIZE
#include <cstdio>
#include <cstdlib>

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
    if (argc != 4) {
        std::fprintf(stderr, "usage: split_bench SOURCE DESTINATION-FOLDER SPLIT-SIZE\n");
        return 2;
    }
    SilentWindow window;
    SilentUi ui;
    return modCarver::SplitFile(window, ui, argv[1], WithBackslash(argv[2]), std::atof(argv[3])) ? 0 : 1;
}
