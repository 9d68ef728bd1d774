#include "ProgressPicture.h"

#include <cmath>

namespace {

// Rounds halves to the even neighbour into a 16-bit integer.
std::optional<int16_t> RoundTo16(double v)
{
    const double r = std::nearbyint(v);
    if (!(r >= -32768.0 && r <= 32767.0)) return std::nullopt;
    return static_cast<int16_t>(r);
}

}  // namespace

int64_t ProgressPercent(float fraction, bool exactEnds)
{
    const auto p = static_cast<int64_t>(std::floor(static_cast<double>(fraction) * 100.0 + 0.5));
    if (exactEnds) return p;
    if (p == 0) return 1;
    if (p == 100) return 99;
    return p;
}

namespace {

// Places a label already measured on the box; nothing when a measurement does
// not fit a 16-bit integer.
std::optional<ProgressPicture> PlaceLabel(ProgressPicture pic, float fraction, double boxWidth, double boxHeight,
                                          double textWidth, double textHeight)
{
    const auto tw = RoundTo16(textWidth);
    const auto th = RoundTo16(textHeight);
    if (!tw || !th) return std::nullopt;
    const auto x = RoundTo16(boxWidth / 2 - *tw / 2.0);
    const auto y = RoundTo16(boxHeight / 2 - *th / 2.0);
    if (!x || !y) return std::nullopt;
    pic.labelWidth = *tw;
    pic.labelHeight = *th;
    pic.labelX = *x;
    pic.labelY = *y;
    pic.boxWidth = boxWidth;
    pic.boxHeight = boxHeight;
    pic.barWidth = fraction > 0 ? boxWidth * static_cast<double>(fraction) : 0;
    return pic;
}

ProgressPicture Labelled(float fraction, bool exactEnds)
{
    ProgressPicture pic;
    pic.percent = ProgressPercent(fraction, exactEnds);
    pic.label = std::to_string(pic.percent) + "%";
    return pic;
}

}  // namespace

std::optional<ProgressPicture> ComputeProgressPicture(float fraction, bool exactEnds, double boxWidth,
                                                      double boxHeight, double textWidth, double textHeight)
{
    return PlaceLabel(Labelled(fraction, exactEnds), fraction, boxWidth, boxHeight, textWidth, textHeight);
}

void DrawProgress(ProgressBox& box, float fraction, bool exactEnds)
{
    // Called once per copied block: the label is made and measured once.
    ProgressPicture pic = Labelled(fraction, exactEnds);
    const double textWidth = box.TextWidth(pic.label);
    const double textHeight = box.TextHeight(pic.label);
    const auto picture = PlaceLabel(std::move(pic), fraction, box.Width(), box.Height(), textWidth, textHeight);
    if (picture) box.Paint(*picture);
}
