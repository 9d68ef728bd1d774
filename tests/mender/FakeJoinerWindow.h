#pragma once
// The joiner window's elements for tests: a progress box and a status panel
// that log what the engine does to them, the delete option and the two text
// boxes of the name preview.
#include <functional>
#include <string>
#include <vector>

#include "JoinerWindow.h"

class FakeProgressBox : public ProgressBox {
public:
    explicit FakeProgressBox(std::vector<std::string>& log) : log_(log) {}
    bool visible = false;
    double width = 300, height = 13;
    std::vector<ProgressPicture> painted;

    void Show() override { visible = true; log_.push_back("show"); }
    void Hide() override { visible = false; log_.push_back("hide"); }
    double Width() const override { return width; }
    double Height() const override { return height; }
    double TextWidth(const std::string& text) const override { return 7.0 * static_cast<double>(text.size()); }
    double TextHeight(const std::string&) const override { return 12; }
    void Paint(const ProgressPicture& picture) override
    {
        painted.push_back(picture);
        log_.push_back("paint " + picture.label + " bar " + std::to_string(static_cast<int>(picture.barWidth)));
    }

private:
    std::vector<std::string>& log_;
};

class FakeJoinerWindow : public JoinerWindow {
public:
    // Everything done to the box and the status panel, in order:
    // "show", "hide", "paint 50% bar 150", "status 残り 904 (1/1)".
    std::vector<std::string> log;
    FakeProgressBox box{log};
    std::string statusText;
    std::vector<std::string> statusTexts;
    bool afterDelete = false;
    // When set, decides the delete option at each reading (the user ticking it mid-run).
    std::function<bool()> afterDeleteNow;
    int afterDeleteReads = 0;
    std::string ketugoFileName;
    std::string afterFileName;

    ProgressBox& StatusBox() override { return box; }
    void SetStatusText(const std::string& text) override
    {
        statusText = text;
        statusTexts.push_back(text);
        log.push_back("status " + text);
    }
    bool AfterDeleteChecked() override
    {
        ++afterDeleteReads;
        return afterDeleteNow ? afterDeleteNow() : afterDelete;
    }
    // What the engine noted, "path: note".
    std::vector<std::string> notes;
    void Noted(const std::string& path, const std::string& note) override { notes.push_back(path + ": " + note); }
    // The pieces rebuilt from the recovery data, in order.
    std::vector<std::string> rebuilt;
    void PieceRebuilt(const std::string& name) override { rebuilt.push_back(name); }
    // The files the delete option left, in the order told.
    std::vector<std::string> deletionFailures;
    void DeletionFailed(const std::string& path, const std::string&) override { deletionFailures.push_back(path); }
    std::string KetugoFileNameText() override { return ketugoFileName; }
    void SetAfterFileNameText(const std::string& text) override { afterFileName = text; }
};
