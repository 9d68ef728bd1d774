#include <gtest/gtest.h>

#include "ProgressPicture.h"

TEST(ProgressPercent, RoundingAndClampingAtTheEnds)
{
    struct Case { float fraction; bool exact; int64_t percent; };
    const Case cases[] = {
        {0.0f, true, 0},     {0.0f, false, 1},   {0.004f, false, 1},  {0.125f, false, 13},
        {0.375f, false, 38}, {0.285f, false, 28}, {0.005f, false, 1}, {0.005f, true, 0},
        {0.994f, false, 99}, {0.995f, false, 99}, {0.995f, true, 100}, {1.0f, false, 99},
        {1.0f, true, 100},   {1.5f, false, 150},  {-0.2f, false, -20},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProgressPercent(c.fraction, c.exact), c.percent) << c.fraction << " exact " << c.exact;
}

namespace {
class RecordingBox : public ProgressBox {
public:
    std::vector<ProgressPicture> painted;
    double width = 299, height = 13;
    void Show() override {}
    void Hide() override {}
    double Width() const override { return width; }
    double Height() const override { return height; }
    double TextWidth(const std::string& text) const override { return 6.5 * text.size(); }
    double TextHeight(const std::string&) const override { return 12.5; }
    void Paint(const ProgressPicture& p) override { painted.push_back(p); }
};
}  // namespace

TEST(DrawProgress, LabelCentredWithHalvesToEvenAndTheBarUnclamped)
{
    RecordingBox box;
    DrawProgress(box, 0.0f, true);
    ASSERT_EQ(box.painted.size(), 1u);
    const ProgressPicture& zero = box.painted[0];
    EXPECT_EQ(zero.label, "0%");
    EXPECT_EQ(zero.barWidth, 0);
    EXPECT_EQ(zero.labelWidth, 13);   // 13.0
    EXPECT_EQ(zero.labelHeight, 12);  // 12.5 to even
    EXPECT_EQ(zero.labelX, 143);      // 299 / 2 - 13 / 2
    EXPECT_EQ(zero.labelY, 0);        // 13 / 2 - 12 / 2 = 0.5, to even

    DrawProgress(box, 0.5f);
    const ProgressPicture& half = box.painted[1];
    EXPECT_EQ(half.label, "50%");
    EXPECT_EQ(half.labelWidth, 20);   // 19.5 to even
    EXPECT_DOUBLE_EQ(half.barWidth, 149.5);

    DrawProgress(box, 1.5f);
    EXPECT_EQ(box.painted[2].label, "150%");
    EXPECT_DOUBLE_EQ(box.painted[2].barWidth, 448.5) << "the bar is not clamped; the box clips it";

    DrawProgress(box, 0.5f);
    EXPECT_EQ(box.painted[3], box.painted[1]) << "the same arguments give the same picture";
}

TEST(DrawProgress, AMeasurementBeyondSixteenBitsLeavesTheBoxAsItWas)
{
    RecordingBox box;
    box.width = 100000;
    DrawProgress(box, 0.5f);
    EXPECT_TRUE(box.painted.empty());
    EXPECT_FALSE(ComputeProgressPicture(0.5f, false, 100, 10, 40000, 10));
}
