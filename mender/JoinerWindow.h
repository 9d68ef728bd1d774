#pragma once
// What the join engine reads and writes of the joiner window. The window
// implements it; the command-line front end and the tests do too, so the
// engine runs before (or without) a window.
#include <cstdint>
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

    // What a terminal reports besides the questions; a window has its
    // questions and progress box and ignores them.
    // A piece on a fixed drive is missing; the wrong-disk question follows.
    virtual void PieceMissing(const std::string& /*piecePath*/) {}
    // A file of the set could not be deleted after its bytes were joined.
    virtual void DeletionFailed(const std::string& /*path*/, const std::string& /*reason*/) {}
    // Something about a file of the run that the user should know, though the
    // run goes on: a resume state set aside, a manifest that checks nothing,
    // the disk of another set, files left on a disk no longer in the drive.
    virtual void Noted(const std::string& /*path*/, const std::string& /*note*/) {}
    // A piece lost or damaged was rebuilt from the set's recovery data.
    virtual void PieceRebuilt(const std::string& /*name*/) {}
    // The run was cancelled with `joined` pieces in the rebuilt file.
    virtual void JoinStopped(int32_t /*joined*/, int32_t /*count*/, const std::string& /*rebuiltPath*/) {}
};
