// The piece-count preview over real files: the size each option divides by,
// the rounding up, the files it cannot measure and the labels for large counts.
#include <gtest/gtest.h>
#include <ostream>
#include <sys/stat.h>
#include <unistd.h>

#include "FakeCarverForm.h"
#include "PiecePreview.h"
#include "TempFolder.h"
#include "WindowReset.h"

namespace {

// A file of the given length without writing its bytes.
std::string SparseFile(const TempFolder& folder, const std::string& name, int64_t length)
{
    const std::string path = folder / name;
    WriteBytes(path, "");
    EXPECT_EQ(::truncate(path.c_str(), length), 0);
    return path;
}

struct PreviewCase {
    int option;
    std::string sizeBox;
    int64_t length;
    int64_t count;
    std::string label;
};

void PrintTo(const PreviewCase& c, std::ostream* out)
{
    *out << "option " << c.option << ", size box '" << c.sizeBox << "', " << c.length << " bytes";
}

class PiecePreviewTest : public ::testing::TestWithParam<PreviewCase> {};

TEST_P(PiecePreviewTest, CountsAndLabels)
{
    const PreviewCase& c = GetParam();
    TempFolder folder;
    FakeCarverForm form;
    form.fileBox = SparseFile(folder, "movie.avi", c.length);
    form.Choose(c.option);
    form.sizeBox = c.sizeBox;

    EXPECT_EQ(modCarver::CountPieces(form), c.count);
    modCarver::UpdatePieceRange(form);
    EXPECT_EQ(form.pieceRange, c.label);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, PiecePreviewTest,
    ::testing::Values(
        // 1.44MB divides by 1,423,000 here, not by the 1,421,000 it splits at.
        PreviewCase{3, "1,423", 1'500'000, 2, "*.001～*.002"},
        PreviewCase{3, "1,423", 1'423'000, 1, "*.001"},
        PreviewCase{3, "1,423", 1'423'001, 2, "*.001～*.002"},
        PreviewCase{3, "1,423", 1'422'000, 1, "*.001"},
        // 1.25MB: 1,221,000 gives two pieces where 1,220,000 would give three.
        PreviewCase{2, "1,221", 2'441'500, 2, "*.001～*.002"},
        PreviewCase{0, "634", 634'001, 2, "*.001～*.002"},
        PreviewCase{1, "713", 713'000 * 12, 12, "*.001～*.012"},
        PreviewCase{4, "32,767", 95'000'001, 2, "*.001～*.002"},
        PreviewCase{5, "32,767", 100'000'000, 1, "*.001"},
        // 230MB and 640MB preview at 210,000,000 and 600,000,000.
        PreviewCase{6, "32,767", 220'000'000, 2, "*.001～*.002"},
        PreviewCase{7, "32,767", 610'000'000, 2, "*.001～*.002"},
        // The custom size reads the box through "####": separators, rounding.
        PreviewCase{8, "1,500", 3'000'001, 3, "*.001～*.003"},
        PreviewCase{8, "12.6", 13'000 * 5, 5, "*.001～*.005"},
        PreviewCase{8, "", 5'000, 0, "*.000"},
        PreviewCase{8, "abc", 5'000, 0, "*.000"},
        // Past 999 the last piece's full number, as the split names it.
        PreviewCase{8, "7", 7'000 * 1'233 + 1, 1'234, "*.001～*.1234"},
        // Past 32767 the true count.
        PreviewCase{8, "7", 7'000LL * 40'000, 40'000, "*.001～*.40000"},
        // Files of 2 GiB and more are counted in full.
        PreviewCase{7, "32,767", 3LL << 30, 6, "*.001～*.006"}));

TEST(PiecePreview, EmptyMissingAndBlank)
{
    TempFolder folder;
    FakeCarverForm form;
    form.Choose(3);

    form.fileBox = SparseFile(folder, "empty.bin", 0);
    modCarver::UpdatePieceRange(form);
    EXPECT_EQ(form.pieceRange, "*.000");

    form.fileBox = folder / "missing.bin";
    form.pieceRange.clear();
    modCarver::UpdatePieceRange(form);
    EXPECT_EQ(form.pieceRange, "*.000");

    // A folder is no file to split.
    form.fileBox = folder.Path();
    EXPECT_EQ(modCarver::CountPieces(form), 0);

    form.fileBox = "   ";
    EXPECT_EQ(modCarver::CountPieces(form), 0);
}

TEST(PiecePreview, MeasuresTheFileTheSplitWouldRead)
{
    // OK hands the engine the box's text trimmed of spaces; the preview
    // measures that same file.
    TempFolder folder;
    FakeCarverForm form;
    form.Choose(3);
    form.fileBox = "  " + SparseFile(folder, "movie.avi", 3'000'000) + "  ";
    modCarver::UpdatePieceRange(form);
    EXPECT_EQ(form.pieceRange, "*.001～*.003");
}

TEST(WindowReset, SizeBoxEndsEmptyAfterTheDefaultOptionFilledIt)
{
    FakeCarverForm form;
    form.fileBox = "old.avi";
    form.folderBox = "/old";
    modCarver::ResetWindow(form);

    EXPECT_TRUE(form.options[3]);
    EXPECT_EQ(form.sizeBox, "");
    EXPECT_EQ(form.fileBox, "");
    EXPECT_EQ(form.folderBox, "");
    EXPECT_FALSE(form.batchMake || form.setDate || form.afterOpen);
    // The option first, so that its size does not survive in the box.
    ASSERT_FALSE(form.calls.empty());
    EXPECT_EQ(form.calls.front(), "option 3");
}

}  // namespace
