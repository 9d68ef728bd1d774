#pragma once
// UI services for tests: records every message box and answers from a script.
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "UiServices.h"

class FakeUiServices : public UiServices {
public:
    struct Question {
        std::string text;
        MsgButtons buttons;
        MsgIcon icon;
        std::string caption;  // the program's title when the box named none
    };

    explicit FakeUiServices(std::string title = "Carver") : title_(std::move(title)) {}

    // Answers, in order, for the coming message boxes. When the script runs out
    // the first button is pressed (OK or Yes).
    void Answer(std::initializer_list<MsgAnswer> answers) { answers_.insert(answers_.end(), answers); }
    // Called before each answer is taken, e.g. to move files like a user swapping disks.
    std::function<void(const Question&)> onQuestion;
    // Called on every yield, e.g. to request cancellation mid-copy.
    std::function<void()> onYield;

    MsgAnswer MessageBox(const std::string& text, MsgButtons buttons, MsgIcon icon,
                         const std::string& caption = {}) override;
    void Yield() override;
    void Beep() override { ++beeps; }
    void DiskCanBeRemoved(const std::string& device) override { log.push_back("unmount " + device); }
    void DiskFoundAt(const std::string& folder) override { log.push_back("found " + folder); }

    std::vector<Question> questions;
    int yields = 0;
    int beeps = 0;
    // Every question's text and every disk note ("unmount DEVICE", "found FOLDER"), in order.
    std::vector<std::string> log;

    // The texts of all questions asked so far.
    std::vector<std::string> Texts() const;

private:
    std::string title_;
    std::deque<MsgAnswer> answers_;
};
