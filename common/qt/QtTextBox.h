#pragma once
// A Qt line edit as the text box of SelectAllText and PickFolder.
#include "Paths.h"

class QLineEdit;

class QtTextBox : public WritableTextBox {
public:
    explicit QtTextBox(QLineEdit& edit) : edit_(edit) {}
    std::string Text() const override;
    void SetSelection(int start, int length) override;
    void SetText(const std::string& text) override;

private:
    QLineEdit& edit_;
};
