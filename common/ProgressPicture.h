#pragma once
// The progress bar with its centred percentage label: a pure computation of
// the picture, and DrawProgress, which paints it on a progress box.
#include <cstdint>
#include <optional>
#include <string>

// What is painted: a white ground, the label in the title-bar colour at
// (labelX, labelY), then the bar from the left edge in not-xor mode, so the
// label's pixels turn white where the bar passes under them.
struct ProgressPicture {
    int64_t percent = 0;
    std::string label;              // "45%"
    int16_t labelX = 0, labelY = 0;
    int16_t labelWidth = 0, labelHeight = 0;
    double barWidth = 0;            // 0: no bar
    double boxWidth = 0, boxHeight = 0;
    bool operator==(const ProgressPicture&) const = default;
};

// The box a progress picture is painted on (picStatus of either window).
class ProgressBox {
public:
    virtual ~ProgressBox() = default;
    virtual void Show() = 0;
    virtual void Hide() = 0;
    virtual double Width() const = 0;
    virtual double Height() const = 0;
    virtual double TextWidth(const std::string& text) const = 0;
    virtual double TextHeight(const std::string& text) const = 0;
    // Replaces the whole picture and puts it on the screen at once.
    virtual void Paint(const ProgressPicture& picture) = 0;
};

// Percentage of a single-precision fraction, rounded half up in double
// precision; 0 and 100 become 1 and 99 unless exactEnds.
int64_t ProgressPercent(float fraction, bool exactEnds);

// The picture for a fraction on a box of the given measurements; nothing when a
// measurement does not fit a 16-bit integer.
std::optional<ProgressPicture> ComputeProgressPicture(float fraction, bool exactEnds, double boxWidth,
                                                      double boxHeight, double textWidth, double textHeight);

// Paints the progress for a fraction on the box. Keeps no state between calls;
// a picture that cannot be computed leaves the box as it was.
void DrawProgress(ProgressBox& box, float fraction, bool exactEnds = false);
