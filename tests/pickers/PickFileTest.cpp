// PickFile over a fake dialog: what the dialog is shown with, the chosen path,
// silence on Cancel and the stop box on any other failure.
#include <gtest/gtest.h>

#include "FakeDialogs.h"
#include "FakeUiServices.h"
#include "PickFile.h"

using namespace std::string_literals;

namespace {

const char* const kTitle = "分割ﾌｧｲﾙの指定";
const char* const kFilter = "すべてのﾌｧｲﾙ (*.*)|*.*";

TEST(PickFile, TheOpenDialogIsShownWithTheCallersValues)
{
    FakeFileDialog dialog;
    FakeUiServices ui;
    dialog.chosenFile = "/data/movie.avi";
    PickFile(dialog, ui, kTitle, "Movies|*.avi;*.mpg|All|*.*", "movie.avi", 2, "/opt/carver");

    ASSERT_EQ(dialog.opened.size(), 1u);
    EXPECT_TRUE(dialog.saved.empty());
    const FileDialogRecord& r = dialog.opened[0];
    EXPECT_EQ(r.title, kTitle);
    EXPECT_EQ(r.flags, 0x201804u) << "hide read-only, path and file must exist, long names";
    EXPECT_EQ(r.filter, "Movies\0*.avi;*.mpg\0All\0*.*\0"s);
    EXPECT_EQ(r.filterIndex, 2);
    EXPECT_EQ(r.file, "movie.avi");
    EXPECT_EQ(r.defaultExt, "avi");
    EXPECT_EQ(r.initialDir, "/opt/carver");
    EXPECT_EQ(r.fileBufferSize, 50000);
}

TEST(PickFile, TheDefaultExtensionComesFromTheInitialName)
{
    const std::pair<const char*, const char*> cases[] = {
        {"", ""}, {"file.", ""}, {"archive.tar.gz", "gz"}, {"/a.b/file", ""}, {"noext", ""}};
    for (const auto& [name, extension] : cases) {
        FakeFileDialog dialog;
        FakeUiServices ui;
        PickFile(dialog, ui, kTitle, kFilter, name, 1, "");
        ASSERT_EQ(dialog.opened.size(), 1u);
        EXPECT_EQ(dialog.opened[0].defaultExt, extension) << name;
    }
}

TEST(PickFile, ReturnsTheChosenPath)
{
    FakeFileDialog dialog;
    FakeUiServices ui;
    dialog.chosenFile = "/data/動画 ﾌｧｲﾙ.avi";
    dialog.chosenTitle = "動画 ﾌｧｲﾙ.avi";
    EXPECT_EQ(PickFile(dialog, ui, kTitle, kFilter, "", 1, "/opt"), "/data/動画 ﾌｧｲﾙ.avi");
    EXPECT_TRUE(ui.questions.empty());
}

TEST(PickFile, CancelIsSilent)
{
    FakeFileDialog dialog;
    FakeUiServices ui;
    dialog.errorCode = 0;
    EXPECT_EQ(PickFile(dialog, ui, kTitle, kFilter, "proposed.txt", 1, "/opt"), "")
        << "never the proposed name";
    EXPECT_TRUE(ui.questions.empty());
}

TEST(PickFile, OtherFailuresShowAStopBoxTitledWithTheDialogTitle)
{
    const std::pair<uint32_t, const char*> cases[] = {{0x3003, "20476"}, {2, "32765"}, {0x4001, "-32768"}};
    for (const auto& [code, number] : cases) {
        FakeFileDialog dialog;
        FakeUiServices ui;
        dialog.errorCode = code;
        EXPECT_EQ(PickFile(dialog, ui, kTitle, kFilter, "proposed.txt", 1, "/opt"), "");
        ASSERT_EQ(ui.questions.size(), 1u) << code;
        const FakeUiServices::Question& box = ui.questions[0];
        EXPECT_EQ(box.icon, MsgIcon::Stop);
        EXPECT_EQ(box.buttons, MsgButtons::Ok);
        EXPECT_EQ(box.caption, kTitle);
        EXPECT_NE(box.text.find(number), std::string::npos) << box.text;
    }
}

TEST(PickFile, ExtensionOf)
{
    EXPECT_EQ(ExtensionOf("movie.avi"), ".avi");
    EXPECT_EQ(ExtensionOf("archive.tar.gz"), ".gz");
    EXPECT_EQ(ExtensionOf("/a.b/file"), "") << "a separator before any dot";
    EXPECT_EQ(ExtensionOf("/a.b/file.txt"), ".txt");
    EXPECT_EQ(ExtensionOf("file."), ".");
    EXPECT_EQ(ExtensionOf(".profile"), ".profile");
    EXPECT_EQ(ExtensionOf(""), "");
    EXPECT_EQ(ExtensionOf("動画.ﾌｧｲﾙ"), ".ﾌｧｲﾙ");
}

}  // namespace
