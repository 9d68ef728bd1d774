#pragma once
// The text-box side of SelectAllText for a Qt line edit.
#include "Paths.h"

class QLineEdit;

class QtTextBox : public TextBox {
public:
    explicit QtTextBox(QLineEdit& edit) : edit_(edit) {}
    std::string Text() const override;
    void SetSelection(int start, int length) override;

private:
    QLineEdit& edit_;
};
