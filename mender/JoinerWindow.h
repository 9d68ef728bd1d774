#pragma once
// What the join engine reads and writes of the joiner window. The window
// implements it; the command-line front end and the tests do too, so the
// engine runs before (or without) a window.
#include <string>

#include "ProgressPicture.h"

class JoinerWindow {
public:
    virtual ~JoinerWindow() = default;
    // picStatus: shown while a piece is copied, hidden when the run ends.
    virtual ProgressBox& StatusBox() = 0;
    // The second panel of sbrStatus.
    virtual void SetStatusText(const std::string& text) = 0;
    // chkAfterDelete, read once after each piece.
    virtual bool AfterDeleteChecked() = 0;
    // txtKetugoFileName, the join-info path as typed or chosen.
    virtual std::string KetugoFileNameText() = 0;
    // txtAfterFileName, the preview of the rebuilt file's name.
    virtual void SetAfterFileNameText(const std::string& text) = 0;
};
