#include "QtTextBox.h"

#include <QLineEdit>
#include <algorithm>

std::string QtTextBox::Text() const { return edit_.text().toStdString(); }

void QtTextBox::SetText(const std::string& text) { edit_.setText(QString::fromStdString(text)); }

void QtTextBox::SetSelection(int start, int length)
{
    // Characters to Qt's UTF-16 units, which differ for characters outside the BMP.
    const std::u32string chars = edit_.text().toStdU32String();
    auto units = [&](int n) {
        const size_t count = static_cast<size_t>(std::clamp(n, 0, static_cast<int>(chars.size())));
        return static_cast<int>(QString::fromStdU32String(chars.substr(0, count)).size());
    };
    edit_.setSelection(units(start), units(start + length) - units(start));
}
