#pragma once
// Fixed-position windows whose texts always show whole. The windows place
// their controls where their design puts them; a label, check box, option
// button or push button whose text needs more room there (another language,
// the theme's style, a larger font) is widened just enough. What lies to its
// right in the same row moves along, keeping the spacing it had (up to
// kSpacing), group boxes and the window widen to hold what they contain, and
// a control that spanned the whole width stretches with it. Nothing ever
// shrinks below its designed place, so texts that fit change nothing.
#include <QHash>
#include <QPointer>
#include <QRect>
#include <QWidget>

// How many pixels more a label's or button's text needs than its place gives
// it (0: it shows whole, or there is no text).
int TextOverflow(const QWidget& control);

class TextFit {
public:
    // Records the places of window's controls as they are laid out now.
    explicit TextFit(QWidget& window);
    // From the recorded places, for the current texts, font and style.
    void Apply();

    static constexpr int kSpacing = 12;  // pixels

private:
    void Record(QWidget& container);
    void Fit(QWidget& container);
    QWidget& window_;
    QHash<QWidget*, QRect> designed_;
};
