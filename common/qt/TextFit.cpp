#include "TextFit.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <algorithm>
#include <vector>

namespace {

std::vector<QWidget*> Controls(QWidget& container)
{
    std::vector<QWidget*> controls;
    for (QWidget* child : container.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (!child->isWindow()) controls.push_back(child);
    return controls;
}

// A caption as it shows: "&" marks the access key and is not drawn.
QString Shown(QString text)
{
    text.replace(QLatin1String("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    return text;
}

// The width the style gives a button's text.
int ButtonTextRoom(const QAbstractButton& button, QStyle::SubElement contents)
{
    QStyleOptionButton option;
    option.initFrom(&button);
    option.text = button.text();
    option.icon = button.icon();
    option.iconSize = button.iconSize();
    return button.style()->subElementRect(contents, &option, &button).width();
}

// Whether two places share a row (a pixel or two of contact is no row).
bool SameRow(const QRect& a, const QRect& b)
{
    return std::min(a.bottom(), b.bottom()) - std::max(a.top(), b.top()) >= 2;
}

}  // namespace

int TextOverflow(const QWidget& control)
{
    QString text;
    int room = 0;
    if (const auto* label = qobject_cast<const QLabel*>(&control)) {
        text = label->text();
        room = label->contentsRect().width() - 2 * label->margin();
    } else if (const auto* box = qobject_cast<const QCheckBox*>(&control)) {
        text = box->text();
        room = ButtonTextRoom(*box, QStyle::SE_CheckBoxContents);
    } else if (const auto* option = qobject_cast<const QRadioButton*>(&control)) {
        text = option->text();
        room = ButtonTextRoom(*option, QStyle::SE_RadioButtonContents);
    } else if (const auto* button = qobject_cast<const QPushButton*>(&control)) {
        text = button->text();
        room = ButtonTextRoom(*button, QStyle::SE_PushButtonContents);
    }
    if (text.isEmpty()) return 0;
    // The drawn extent of the glyphs: an advance past the last one is no clipping.
    const int needed = control.fontMetrics().boundingRect(Shown(text)).width();
    return std::max(0, needed - room);
}

TextFit::TextFit(QWidget& window) : window_(window)
{
    designed_.insert(&window_, window_.geometry());
    Record(window_);
}

void TextFit::Record(QWidget& container)
{
    for (QWidget* control : Controls(container)) {
        designed_.insert(control, control->geometry());
        if (qobject_cast<QGroupBox*>(control) != nullptr) Record(*control);
    }
}

void TextFit::Apply() { Fit(window_); }

void TextFit::Fit(QWidget& container)
{
    std::vector<QWidget*> controls;
    for (QWidget* control : Controls(container))
        if (designed_.contains(control)) controls.push_back(control);

    for (QWidget* control : controls) {
        // A control under a style sheet (its own or its group's) is drawn in
        // the application's font instead of the one it would inherit; it gets
        // that one back.
        if (!control->styleSheet().isEmpty() || !container.styleSheet().isEmpty()) control->setFont(container.font());
        control->setGeometry(designed_.value(control));
        if (qobject_cast<QGroupBox*>(control) != nullptr) Fit(*control);
        if (const int more = TextOverflow(*control); more > 0) control->resize(control->width() + more, control->height());
    }

    // A control to the right of another in its row keeps its distance to it
    // (an overlap as designed stays the same overlap). Moves only go right,
    // so this settles within as many rounds as there are controls.
    for (size_t round = 0; round < controls.size(); ++round) {
        bool moved = false;
        for (QWidget* a : controls) {
            const QRect da = designed_.value(a);
            for (QWidget* b : controls) {
                const QRect db = designed_.value(b);
                if (a == b || db.left() <= da.left() || db.right() <= da.right() || !SameRow(da, db)) continue;
                const int gap = std::min(db.left() - da.right(), kSpacing);
                if (b->x() < a->geometry().right() + gap) {
                    b->move(a->geometry().right() + gap, b->y());
                    moved = true;
                }
            }
        }
        if (!moved) break;
    }

    // The container holds its controls with the margin they had (up to
    // kSpacing); one that spanned it from edge to edge spans it still.
    const QRect designed = designed_.value(&container);
    const auto spans = [&](const QRect& d) { return d.left() <= 0 && d.right() >= designed.width() - 1; };
    int width = designed.width();
    for (QWidget* control : controls) {
        const QRect d = designed_.value(control);
        const int margin = std::min(designed.width() - 1 - d.right(), kSpacing);
        if (!spans(d)) width = std::max(width, control->geometry().right() + 1 + margin);
    }
    for (QWidget* control : controls)
        if (spans(designed_.value(control))) control->resize(width, control->height());
    if (&container == &window_)
        window_.setFixedSize(width, designed.height());
    else
        container.resize(width, designed.height());
}
