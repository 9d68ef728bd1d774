// The file dialog wrapper over a fake dialog: what it hands the dialog, what
// it takes back, and how it turns the dialog's failures into ErrNumber.
#include <gtest/gtest.h>

#include "CommonDlg.h"
#include "FakeDialogs.h"

using namespace std::string_literals;

namespace {

TEST(CommonDlg, InitialValuesReachTheDialog)
{
    CommonDlg dlg;
    EXPECT_EQ(dlg.Form(), nullptr);
    EXPECT_EQ(dlg.ErrNumber(), 0);
    EXPECT_FALSE(dlg.CancelButton());
    EXPECT_EQ(dlg.Action(), 0);
    EXPECT_FALSE(dlg.CancelError());
    EXPECT_EQ(dlg.FileName(), "");
    EXPECT_EQ(dlg.FileTitle(), std::string(49999, ' '));

    FakeFileDialog dialog;
    dlg.SetForm(dialog);
    dlg.ShowOpen();
    ASSERT_EQ(dialog.opened.size(), 1u);
    const FileDialogRecord& r = dialog.opened[0];
    EXPECT_EQ(r.filter, "All Files (*.*)\0*.*\0"s);
    EXPECT_EQ(r.filterIndex, 0);
    EXPECT_EQ(r.file, "");
    EXPECT_EQ(r.fileBufferSize, 50000);
    EXPECT_EQ(r.fileTitle, std::string(49999, ' '));
    EXPECT_EQ(r.fileTitleBufferSize, 50000);
    EXPECT_EQ(r.initialDir, "");
    EXPECT_EQ(r.title, "");
    EXPECT_EQ(r.flags, 0u);
    EXPECT_EQ(r.defaultExt, "") << "the single NUL is an empty text to the dialog";
    // Cancel without CancelError is no error at all.
    EXPECT_EQ(dlg.ErrNumber(), 0);
    EXPECT_FALSE(dlg.CancelButton());
    EXPECT_EQ(dlg.Action(), 1);
}

TEST(CommonDlg, MembersAsTheyAreWritten)
{
    FakeFileDialog dialog;
    CommonDlg dlg;
    dlg.SetForm(dialog);

    dlg.SetFilter("すべてのﾌｧｲﾙ (*.*)|*.*");
    dlg.ShowOpen();
    EXPECT_EQ(dialog.opened.back().filter, "すべてのﾌｧｲﾙ (*.*)\0*.*\0"s);

    dlg.SetFilter("Text (*.txt)|*.txt|Pieces (*.001)|*.001");
    dlg.ShowOpen();
    EXPECT_EQ(dialog.opened.back().filter, "Text (*.txt)\0*.txt\0Pieces (*.001)\0*.001\0"s);

    dlg.SetFilter("Text\0*.txt\0"s);
    dlg.ShowOpen();
    EXPECT_EQ(dialog.opened.back().filter, "Text\0*.txt\0"s) << "no second NUL";

    dlg.SetFileName("  my movie.avi   ");
    EXPECT_EQ(dlg.FileName(), "  my movie.avi") << "trailing spaces only";
    dlg.SetFileTitle("movie.avi  ");
    EXPECT_EQ(dlg.FileTitle(), "movie.avi");

    dlg.SetDialogTitle("分割ﾌｧｲﾙの指定");
    dlg.SetInitDir("/home/user");
    dlg.SetFilterIndex(2);
    dlg.SetFlags(0x201804);
    dlg.SetDefaultExt("avi");
    dlg.SetCancelError(true);
    dlg.ShowOpen();
    const FileDialogRecord& r = dialog.opened.back();
    EXPECT_EQ(r.title, "分割ﾌｧｲﾙの指定");
    EXPECT_EQ(dlg.DialogTitle(), "分割ﾌｧｲﾙの指定");
    EXPECT_EQ(r.initialDir, "/home/user");
    EXPECT_EQ(r.filterIndex, 2);
    EXPECT_EQ(r.flags, 0x201804u);
    EXPECT_EQ(r.defaultExt, "avi");
    EXPECT_EQ(r.file, "  my movie.avi");
    EXPECT_EQ(r.fileTitle, "movie.avi");
    EXPECT_EQ(r.fileTitleBufferSize, 10);
    EXPECT_TRUE(dlg.CancelError());
}

TEST(CommonDlg, TheFileBufferHoldsMaxFileSizeCharactersWithItsNul)
{
    FakeFileDialog dialog;
    CommonDlg dlg;
    dlg.SetForm(dialog);
    dlg.SetMaxFileSize(5);
    dlg.SetFileName("abcdefgh");
    dlg.ShowOpen();
    EXPECT_EQ(dialog.opened.back().file, "abcd");
    EXPECT_EQ(dialog.opened.back().fileBufferSize, 5);

    dlg.SetMaxFileSize(4);
    dlg.SetFileName("日本語ﾌｧｲﾙ");
    dlg.ShowOpen();
    EXPECT_EQ(dialog.opened.back().file, "日本語") << "characters, not bytes";

    dlg.SetMaxFileSize(0);
    dlg.ShowOpen();
    EXPECT_EQ(dialog.opened.back().file, "");
}

TEST(CommonDlg, AChosenFileComesBack)
{
    FakeFileDialog dialog;
    dialog.chosenFile = "/data/movie.avi";
    dialog.chosenTitle = "movie.avi";
    CommonDlg dlg;
    dlg.SetForm(dialog);
    dlg.SetCancelError(true);
    dlg.SetFileName("proposed.avi");
    dlg.ShowOpen();
    EXPECT_EQ(dlg.ErrNumber(), 0);
    EXPECT_FALSE(dlg.CancelButton());
    EXPECT_EQ(dlg.FileName(), "/data/movie.avi");
    EXPECT_EQ(dlg.FileTitle(), "movie.avi");
    EXPECT_EQ(dlg.ErrDescription(), "");

    // The buffer is read up to its first pair of NULs, the title up to its first NUL.
    dialog.chosenFile = "/data\0a.avi\0b.avi\0\0left over"s;
    dialog.chosenTitle = "a.avi\0left over"s;
    dlg.ShowOpen();
    EXPECT_EQ(dlg.FileName(), "/data\0a.avi\0b.avi"s);
    EXPECT_EQ(dlg.FileTitle(), "a.avi");
}

TEST(CommonDlg, ActionShowsTheMatchingDialog)
{
    FakeFileDialog dialog;
    CommonDlg dlg;
    dlg.SetForm(dialog);

    dlg.SetAction(1);
    EXPECT_EQ(dialog.opened.size(), 1u);
    dlg.SetAction(2);
    EXPECT_EQ(dialog.saved.size(), 1u);
    EXPECT_EQ(dlg.Action(), 2);
    dlg.ShowSave();
    EXPECT_EQ(dialog.saved.size(), 2u);
    dlg.ShowOpen();
    EXPECT_EQ(dlg.Action(), 1);

    for (int16_t other : {0, 3, 4, 5, 6, 7, -1}) {
        dlg.SetAction(other);
        EXPECT_EQ(dlg.Action(), other);
    }
    EXPECT_EQ(dialog.opened.size(), 2u);
    EXPECT_EQ(dialog.saved.size(), 2u);
}

TEST(CommonDlg, CancelAndTheNextShow)
{
    FakeFileDialog dialog;
    CommonDlg dlg;
    dlg.SetForm(dialog);
    dlg.SetCancelError(true);
    dlg.SetFileName("kept.txt");
    dlg.ShowOpen();
    EXPECT_EQ(dlg.ErrNumber(), 32755);
    EXPECT_TRUE(dlg.CancelButton());
    EXPECT_EQ(dlg.FileName(), "kept.txt");
    EXPECT_EQ(dlg.ErrDescription(), "[ｷｬﾝｾﾙ] ボタンが選択されました。");

    // Every show starts with a clean outcome.
    dialog.chosenFile = "/x";
    dlg.ShowSave();
    EXPECT_EQ(dlg.ErrNumber(), 0);
    EXPECT_FALSE(dlg.CancelButton());
}

TEST(CommonDlg, WithoutAnOwnerNoDialogIsShownAndTheCallerIsTold)
{
    CommonDlg dlg;
    dlg.SetFileName("proposed.txt");
    dlg.ShowOpen();
    EXPECT_EQ(dlg.ErrNumber(), -32768);
    EXPECT_EQ(dlg.ErrDescription(), "関数がﾀﾞｲｱﾛｸﾞ ﾎﾞｯｸｽをﾛｰﾄﾞできません。");
    EXPECT_EQ(dlg.Action(), 1);
}

struct CodeCase {
    uint32_t code;
    int32_t errNumber;
};

TEST(CommonDlg, EveryExtendedErrorCode)
{
    const CodeCase cases[] = {
        {2, 32765},       {5, 32760},       {7, 32760},       {6, 32761},       {8, 32759},
        {9, 32758},       {10, 32757},      {0x1000, 28671},  {0x1001, 28670},  {0x1002, 28669},
        {0x1003, 28668},  {0x1004, 28667},  {0x1005, 28666},  {0x1006, 28665},  {0x1007, 28664},
        {0x1008, 28663},  {0x1009, 28662},  {0x100A, 28661},  {0x100B, 28660},  {0x2001, 24574},
        {0x3001, 20478},  {0x3002, 20477},  {0x3003, 20476},  {1, -32768},      {3, -32768},
        {4, -32768},      {11, -32768},     {12, -32768},     {0xFFF, -32768},  {0x100C, -32768},
        {0x2002, -32768}, {0x3004, -32768}, {0x4001, -32768}, {0xFFFF, -32768},
    };
    for (const CodeCase& c : cases) {
        FakeFileDialog dialog;
        dialog.errorCode = c.code;
        CommonDlg dlg;
        dlg.SetForm(dialog);
        dlg.SetCancelError(true);
        dlg.ShowOpen();
        EXPECT_EQ(dlg.ErrNumber(), c.errNumber) << "extended code " << c.code;
        EXPECT_FALSE(dlg.CancelButton()) << "extended code " << c.code;
    }
}

TEST(CommonDlg, ErrDescriptions)
{
    EXPECT_EQ(ErrDescriptionOf(0), "");
    EXPECT_EQ(ErrDescriptionOf(20476), "ﾒﾝﾊﾞ lpstrFile が指すﾊﾞｯﾌｧが小さすぎます。");
    // Numbers that share a text, and neighbours that do not.
    EXPECT_EQ(ErrDescriptionOf(28671), ErrDescriptionOf(28668));
    EXPECT_NE(ErrDescriptionOf(28668), ErrDescriptionOf(28669));
    EXPECT_EQ(ErrDescriptionOf(32761), ErrDescriptionOf(32760));
    EXPECT_NE(ErrDescriptionOf(32759), ErrDescriptionOf(32760));
    // Every number the dialog can produce has a text of its own kind.
    for (int32_t known : {-32768, 20476, 20477, 20478, 24574, 28660, 28665, 28670, 28671, 32751, 32752, 32755,
                          32757, 32758, 32759, 32760, 32761, 32765})
        EXPECT_NE(ErrDescriptionOf(known), "未知のｴﾗｰです。") << known;
    for (int32_t unknown : {1, -1, 20475, 28659, 28672, 32753, 32756, 32762, 32766})
        EXPECT_EQ(ErrDescriptionOf(unknown), "未知のｴﾗｰです。") << unknown;
}

}  // namespace
