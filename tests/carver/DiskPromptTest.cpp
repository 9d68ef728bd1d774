#include <gtest/gtest.h>

#include "CarverTestPlatform.h"
#include "DiskPrompt.h"
#include "FakeSplitterWindow.h"
#include "FakeUiServices.h"
#include "TempFolder.h"

using modCarver::EnsureDiskSpace;

namespace {

constexpr double kFloppyPreset = 1421000;

struct DiskPrompt : ::testing::Test {
    TempFolder dir;
    ScopedFakePlatform platform;
    FakeSplitterWindow window;
    FakeUiServices ui;
};

TEST_F(DiskPrompt, AFreshFloppyHasRoomAndNoQuestionIsAsked)
{
    platform.SetFree(1457664);
    EXPECT_EQ(EnsureDiskSpace(window, ui, dir.Path(), kFloppyPreset), 0);
    EXPECT_TRUE(ui.questions.empty());
    platform.SetFree(1421000);
    EXPECT_EQ(EnsureDiskSpace(window, ui, dir.Path(), kFloppyPreset), 0) << "exactly the size is room enough";
    EXPECT_TRUE(ui.questions.empty());
}

TEST_F(DiskPrompt, TheQuestionHasItsOwnCaptionButtonsAndFourLines)
{
    platform.SetFree(1000000);
    ui.Answer({MsgAnswer::Cancel});
    EXPECT_EQ(EnsureDiskSpace(window, ui, dir.Path(), kFloppyPreset), 9);
    ASSERT_EQ(ui.questions.size(), 1u);
    const auto& q = ui.questions[0];
    EXPECT_EQ(q.text,
              "ディスクに空き容量がないかディスクの準備ができていません\r\n"
              "ディスクを入れ替えた「はい」\r\n"
              "ディスクの初期化を行う「いいえ」\r\n"
              "処理を中止する「キャンセル」");
    EXPECT_EQ(q.caption, "データ保存");
    EXPECT_EQ(q.buttons, MsgButtons::YesNoCancel);
    EXPECT_EQ(q.icon, MsgIcon::Warning);
    EXPECT_TRUE(platform.drives.formatted.empty());
}

TEST_F(DiskPrompt, YesMeasuresAgainUntilASwappedDiskHasRoom)
{
    platform.SetFree(1000000);
    ui.Answer({MsgAnswer::Yes, MsgAnswer::Yes});
    int asked = 0;
    ui.onQuestion = [&](const FakeUiServices::Question&) {
        if (++asked == 2) platform.SetFree(1457664);  // the user puts in a fresh disk
    };
    EXPECT_EQ(EnsureDiskSpace(window, ui, dir.Path(), kFloppyPreset), 0);
    EXPECT_EQ(ui.questions.size(), 2u) << "Yes with the same full disk brings the question again";
}

TEST_F(DiskPrompt, AnUnreadableDriveAsksLikeAFullOne)
{
    platform.drives.freeSpace = {};  // no disk: the query fails, 0 bytes
    ui.Answer({MsgAnswer::Yes, MsgAnswer::Cancel});
    EXPECT_EQ(EnsureDiskSpace(window, ui, dir.Path(), kFloppyPreset), 9);
    EXPECT_EQ(ui.questions.size(), 2u);
}

TEST_F(DiskPrompt, NoFormatsTheRemovableDriveOfTheFolderBoxThenMeasuresAgain)
{
    platform.SetFree(1000);
    window.toFolderText = "/media/floppy/out";
    platform.drives.onQueryFreeSpace = [&](const std::string&) {
        if (!platform.drives.formatted.empty()) platform.drives.freeSpace = {true, 1457664, 1457664, 1457664};
    };
    ui.Answer({MsgAnswer::No});
    DiskFolder floppy(platform.drives, ui, dir.Path(), true);
    EXPECT_EQ(EnsureDiskSpace(window, ui, floppy, kFloppyPreset, "/home/u/movie.avi"), 0)
        << "a freshly formatted disk with room lets the split go on without a further question";
    EXPECT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(platform.drives.formatted, (std::vector<std::string>{"/media/floppy/out"}))
        << "the folder box names the drive, not the folder of the run";
    EXPECT_EQ(platform.drives.spared, (std::vector<std::string>{"/home/u/movie.avi"})) << "the source's drive is spared";
}

// A fixed drive is never formatted, and a removable one only where the desktop
// has a utility for it (and the device holds neither the system nor the source).
TEST_F(DiskPrompt, WhereNothingMayBeFormattedTheUserIsToldAndAskedAgain)
{
    for (const bool removable : {false, true}) {
        FakeUiServices asked;
        platform.SetFree(1000);
        platform.drives.formatAvailable = false;
        platform.drives.formatted.clear();
        asked.Answer({MsgAnswer::No, MsgAnswer::Ok, MsgAnswer::Cancel});
        DiskFolder disk(platform.drives, asked, dir.Path(), removable);
        EXPECT_EQ(EnsureDiskSpace(window, asked, disk, kFloppyPreset), 9);
        ASSERT_EQ(asked.questions.size(), 3u);
        EXPECT_EQ(asked.questions[1].text, "ﾃﾞｨｽｸの初期化はこの環境では行えません");
        EXPECT_EQ(asked.questions[1].buttons, MsgButtons::Ok);
        EXPECT_EQ(asked.questions[2].text, modCarver::DiskSpaceQuestion());
        EXPECT_EQ(platform.drives.formatted.size(), removable ? 1u : 0u) << "a fixed drive is not even offered";
    }
}

TEST_F(DiskPrompt, TheFreeSpaceIsThatOfTheMountHoldingTheFolder)
{
    platform.drives.root = "/media/usb";
    ui.Answer({MsgAnswer::Cancel});
    EXPECT_EQ(EnsureDiskSpace(window, ui, dir.Path(), kFloppyPreset), 0);
    EXPECT_EQ(platform.drives.freeSpaceQueries.back(), "/media/usb");
}

TEST(DiskPromptOnLinux, AFolderThatIsNotThereIsADiskThatIsNotReady)
{
    TempFolder dir;
    FakeSplitterWindow window;
    FakeUiServices ui;
    ui.Answer({MsgAnswer::Cancel});
    EXPECT_EQ(EnsureDiskSpace(window, ui, dir / "disk-removed/out/", 1000), 9);
    EXPECT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(EnsureDiskSpace(window, ui, dir.Path(), 1000), 0) << "the real mount has a few bytes free";
    EXPECT_EQ(ui.questions.size(), 1u);
}

}  // namespace
